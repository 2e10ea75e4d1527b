#include "tilt_stability/left_pseudo_semistabilizers/fixed_q_beta/fixed_r/fixed_r.hpp"

#include "tilt_stability/left_pseudo_semistabilizers/fixed_q_beta/fixed_r/bound_on_d/lower/lower.hpp"
#include "utils/checked.hpp"

namespace varnolt::tilt_stability::left_pseudo_semistabilizers::fixed_q_beta::fixed_r {

namespace {

__int128 checked_product(__int128 a, __int128 b) {
    __int128 product;
    if (__builtin_mul_overflow(a, b, &product)) utils::overflow();
    return product;
}

__int128 checked_sum(__int128 a, __int128 b) {
    __int128 sum;
    if (__builtin_add_overflow(a, b, &sum)) utils::overflow();
    return sum;
}

// floor(a / b) for b > 0, in 64-bit division when both fit (the usual case:
// a 128-bit division is several times slower).
__int128 floor_div(__int128 a, __int128 b) {
    if (a >= INT64_MIN && a <= INT64_MAX && b <= INT64_MAX) {
        const auto a64 = static_cast<std::int64_t>(a);
        const auto b64 = static_cast<std::int64_t>(b);
        const std::int64_t q = a64 / b64;
        return (a64 % b64 < 0) ? q - 1 : q;
    }
    const __int128 q = a / b;
    return (a % b < 0) ? q - 1 : q;
}

}  // namespace

std::optional<Cap> ProblemData::scaled_upper_cap() const {
    const std::int64_t v_r = fixed_q_beta.search.v.r;
    const __int128 k = fixed_q_beta.q_numer;
    const __int128 x_minus_k = fixed_q_beta.search.x() - k;
    std::optional<Cap> least;
    // Keeps the first of equal caps, scanning in the order of the table above.
    const auto offer = [&](__int128 numer, __int128 denom) {
        if (!least || checked_product(least->numer, denom) > checked_product(numer, least->denom))
            least = Cap{numer, denom};
    };
    if (r > 0) offer(k * k, r);
    if (r > v_r) offer(checked_product(x_minus_k, x_minus_k), static_cast<__int128>(r) - v_r);
    if (2 * static_cast<__int128>(r) < v_r)
        offer(checked_product(2 * k, x_minus_k), v_r - 2 * static_cast<__int128>(r));
    return least;
}

Outcome<void> ProblemData::append_candidates(const LatticeBound& lower, CandidateRuns& out) const {
    const std::optional<Cap> cap = scaled_upper_cap();
    if (!cap) return std::unexpected("logical error, all upper bounds are None");
    const std::int64_t n = fixed_q_beta.search.beta.denom;
    const __int128 n_squared = static_cast<__int128>(n) * n;
    // d runs from quotient + 1 to floor((A + W)/n²) = quotient + floor((remainder + W)/n²).
    const __int128 count = floor_div(
        checked_sum(checked_product(lower.remainder, cap->denom), cap->numer),
        checked_product(cap->denom, n_squared));
    if (count <= 0) return {};
    out.append({r, c, utils::narrow(lower.quotient + 1), utils::narrow(lower.quotient + count)});
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
