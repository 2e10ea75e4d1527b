#include "tilt_stability/left_pseudo_semistabilizers/fixed_q_beta/fixed_r/fixed_r.hpp"

#include "tilt_stability/left_pseudo_semistabilizers/fixed_q_beta/fixed_r/bound_on_d/lower/lower.hpp"
#include "utils/checked.hpp"
#include "utils/wide.hpp"

namespace varnolt::tilt_stability::left_pseudo_semistabilizers::fixed_q_beta::fixed_r {

using utils::checked_add_wide;
using utils::checked_mul_wide;
using utils::floor_div_wide;

std::optional<Cap> ProblemData::scaled_upper_cap() const {
    const std::int64_t v_r = fixed_q_beta.search.v.r;
    const __int128 k = fixed_q_beta.q_numer;
    const __int128 x_minus_k = fixed_q_beta.search.x() - k;
    std::optional<Cap> least;
    // Keeps the first of equal caps, scanning in the order of the table above.
    const auto offer = [&](__int128 numer, __int128 denom) {
        if (!least || checked_mul_wide(least->numer, denom) > checked_mul_wide(numer, least->denom))
            least = Cap{numer, denom};
    };
    if (r > 0) offer(k * k, r);
    if (r > v_r) offer(checked_mul_wide(x_minus_k, x_minus_k), static_cast<__int128>(r) - v_r);
    if (2 * static_cast<__int128>(r) < v_r)
        offer(checked_mul_wide(2 * k, x_minus_k), v_r - 2 * static_cast<__int128>(r));
    return least;
}

Outcome<void> ProblemData::append_candidates(const LatticeBound& lower, RunSink& out) const {
    const std::optional<Cap> cap = scaled_upper_cap();
    if (!cap) return std::unexpected("logical error, all upper bounds are None");
    const std::int64_t n = fixed_q_beta.search.beta.denom;
    const __int128 n_squared = static_cast<__int128>(n) * n;
    // d runs from quotient + 1 to floor((A + W)/n²) = quotient + floor((remainder + W)/n²).
    const __int128 count = floor_div_wide(
        checked_add_wide(checked_mul_wide(lower.remainder, cap->denom), cap->numer),
        checked_mul_wide(cap->denom, n_squared));
    if (count <= 0) return {};
    out.append({r, c, utils::narrow(checked_add_wide(lower.quotient, 1)),
                utils::narrow(checked_add_wide(lower.quotient, count))});
    return {};
}

Outcome<Candidates> ProblemData::find_all() const {
    CandidateRuns found;
    const Outcome<void> appended =
        append_candidates(bound_on_d::lower::radius_condition_prob2(*this), found);
    if (!appended) return std::unexpected(appended.error());
    return found.expanded();
}

}  // namespace varnolt::tilt_stability::left_pseudo_semistabilizers::fixed_q_beta::fixed_r
