#include "tilt_stability/left_pseudo_semistabilizers/fixed_q_beta/fixed_r/fixed_r.hpp"

#include <algorithm>

#include "primitives/checked.hpp"
#include "tilt_stability/left_pseudo_semistabilizers/fixed_q_beta/fixed_r/bound_on_d/lower/lower.hpp"
#include "utils/rounding.hpp"

namespace varnolt::tilt_stability::left_pseudo_semistabilizers::fixed_q_beta::fixed_r {

using primitives::checked_add;
using primitives::checked_mul;
using utils::floor_div;

LatticeBound LatticeBound::advanced(std::int64_t m, std::int64_t t) const {
    const wide m_squared = static_cast<wide>(m) * m;  // < 2^127
    return {checked_add<wide>(quotient, checked_mul<wide>(m_squared, t)), remainder};
}

Caps::Caps(const FixedQBetaData& fixed_q_beta) : v_r_(fixed_q_beta.search.v.r) {
    const wide k = fixed_q_beta.q_numer;
    const wide x_minus_k = fixed_q_beta.search.x() - k;
    k_squared_ = k * k;  // |k| <= 2^63
    x_minus_k_squared_ = checked_mul<wide>(x_minus_k, x_minus_k);
    two_k_x_minus_k_ = checked_mul<wide>(2 * k, x_minus_k);
}

std::optional<wide> Caps::least_floor_at(std::int64_t r) const {
    const wide rank = r;
    std::optional<wide> least;
    const auto offer = [&](wide cap) {
        if (!least || cap < *least) least = cap;
    };
    if (rank > 0) offer(floor_div(k_squared_, rank));
    if (rank > v_r_) offer(floor_div(x_minus_k_squared_, rank - v_r_));
    if (2 * rank < v_r_) offer(floor_div(two_k_x_minus_k_, v_r_ - 2 * rank));
    return least;
}

// For an integer T, k²/r >= T <=> r <= floor(k²/T), and for r > v.r
// (X−k)²/(r − v.r) >= T <=> r <= v.r + floor((X−k)²/T), which holds anyway for
// r <= v.r. The third cap never binds on the admitted ranks (see the header).
wide Caps::largest_rank_reaching(wide threshold) const {
    return std::min(floor_div(k_squared_, threshold),
                    v_r_ + floor_div(x_minus_k_squared_, threshold));
}

Outcome<void> ProblemData::append_candidates(const Caps& caps, const LatticeBound& lower,
                                             RunSink& out) const {
    ++fixed_q_beta.search.visited.ranks_visited;
    const std::optional<wide> cap = caps.least_floor_at(r);
    if (!cap) return std::unexpected("logical error, all upper bounds are None");
    const std::int64_t n = fixed_q_beta.search.beta.denom;
    // d runs from quotient + 1 to floor((A + W)/n²) = quotient + floor((remainder + floor(W))/n²).
    const wide count = floor_div(lower.remainder + *cap, primitives::checked_mul(n, n));
    if (count <= 0) return {};
    out.append({r, c, primitives::narrow(checked_add<wide>(lower.quotient, 1)),
                primitives::narrow(checked_add<wide>(lower.quotient, count))});
    return {};
}

Outcome<CandidateRuns> ProblemData::find_all() const {
    const LatticeBound lower = bound_on_d::lower::radius_condition_prob2(*this);
    return collected_runs([&](RunSink& out) { return append_candidates(Caps(fixed_q_beta), lower, out); });
}

}  // namespace varnolt::tilt_stability::left_pseudo_semistabilizers::fixed_q_beta::fixed_r
