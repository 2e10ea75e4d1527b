#include "tilt_stability/left_pseudo_semistabilizers/fixed_q_beta/fixed_r/bound_on_d/lower/lower.hpp"

#include "utils/checked.hpp"

namespace varnolt::tilt_stability::left_pseudo_semistabilizers::fixed_q_beta::fixed_r::bound_on_d::
    lower {

LatticeBound radius_condition_prob2(const ProblemData& problem) {
    const Ratio& beta = problem.fixed_q_beta.search.beta;
    const __int128 m = beta.numer;
    const std::int64_t n_squared = utils::checked_mul(beta.denom, beta.denom);
    __int128 r_m_squared, two_m_k, a;
    // |m|² < 2^126, so only the product with r and the sum can overflow.
    if (__builtin_mul_overflow(m * m, static_cast<__int128>(problem.r), &r_m_squared) ||
        __builtin_mul_overflow(2 * m, static_cast<__int128>(problem.fixed_q_beta.q_numer), &two_m_k) ||
        __builtin_add_overflow(r_m_squared, two_m_k, &a))
        utils::overflow();
    __int128 quotient = a / n_squared;
    __int128 remainder = a % n_squared;
    if (remainder < 0) {
        quotient -= 1;
        remainder += n_squared;
    }
    return {quotient, static_cast<std::int64_t>(remainder)};
}

}  // namespace varnolt::tilt_stability::left_pseudo_semistabilizers::fixed_q_beta::fixed_r::bound_on_d::lower
