#include "tilt_stability/bounded_rank/fixed_rank/fixed_rank.hpp"

#include "primitives/checked.hpp"

namespace varnolt::tilt_stability::bounded_rank::fixed_rank {

// q = c − r·β, so q > 0 is c > r·β and q < q_max is c < r·β + q_max, with
// q_max the least of S and (for v.r > 0) r·S/v.r; the second is the smaller
// exactly when r < v.r. Over the common denominator t·k (k = 1, or v.r in the
// second case) r·β + q_max is (k·r·B + t·q_max·k)/(t·k) for β = B/t.
std::optional<CoeffRange> FixedRankData::admissible_c() const {
    const std::int64_t v_r = search.v.r;
    const wide t = search.t();
    const Surd scaled_r_beta = search.beta.numer * wide{r};
    const wide k = r < v_r ? v_r : 1;
    const Surd scaled_q_max = r < v_r ? search.scaled_twisted_v() * wide{r} : search.scaled_twisted_v();
    const wide first = primitives::checked_add<wide>(quadratic::floor_div(scaled_r_beta, t), 1);
    const wide last = primitives::checked_add<wide>(
        quadratic::ceil_div(scaled_r_beta * k + scaled_q_max, primitives::checked_mul<wide>(t, k)), -1);
    if (first > last) return std::nullopt;
    return CoeffRange{primitives::narrow(first), primitives::narrow(last)};
}

}  // namespace varnolt::tilt_stability::bounded_rank::fixed_rank
