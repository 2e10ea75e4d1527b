#include "tilt_stability/bounded_rank/fixed_rank/fixed_c/fixed_c.hpp"

#include "primitives/checked.hpp"

namespace varnolt::tilt_stability::bounded_rank::fixed_rank::fixed_c {

namespace {

// A cap on twice the twisted ch2, scaled by t²: numer / denom with denom > 0.
struct Cap {
    Surd numer;
    wide denom;
};

}  // namespace

// Everything is doubled and scaled by t² (β = B/t, Q = t·q, E = t·δ), so that
// only surds over integers remain:
//   2L·t²          = r·B² + 2·B·Q
//   caps (2·cap·t²) = Q²/r,  E²/(r − v.r) (r > v.r),  2·E·Q/(v.r − 2r) (2r < v.r)
// and d runs from floor(2L) + 1 to floor(2L + least cap).
std::optional<CandidateRun> FixedCoeffData::run() const {
    const BoundedSearchData& search = rank.search;
    const std::int64_t r = rank.r;
    const std::int64_t v_r = search.v.r;
    const Surd& b = search.beta.numer;
    const Surd q = search.scaled_q(r, c);
    const Surd e = search.scaled_twisted_v() - q;

    Cap least{q * q, r};
    const auto offer = [&least](const Surd& numer, wide denom) {
        // numer/denom < least.numer/least.denom, both denominators positive.
        if (numer * least.denom < least.numer * denom) least = {numer, denom};
    };
    if (r > v_r) offer(e * e, wide{r} - v_r);
    if (2 * wide{r} < v_r) offer(e * q * wide{2}, v_r - 2 * wide{r});

    const wide t_squared = primitives::checked_mul<wide>(search.t(), search.t());
    const Surd twice_lower = b * b * wide{r} + b * q * wide{2};
    const wide d_first = primitives::checked_add<wide>(quadratic::floor_div(twice_lower, t_squared), 1);
    const wide d_last = quadratic::floor_div(twice_lower * least.denom + least.numer,
                                             primitives::checked_mul<wide>(t_squared, least.denom));
    if (d_first > d_last) return std::nullopt;
    return CandidateRun{r, c, primitives::narrow(d_first), primitives::narrow(d_last)};
}

}  // namespace varnolt::tilt_stability::bounded_rank::fixed_rank::fixed_c
