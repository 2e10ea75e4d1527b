#include "tilt_stability/left_pseudo_semistabilizers/fixed_q_beta/fixed_r/bound_on_d/lower/lower.hpp"

#include "primitives/checked.hpp"
#include "utils/rounding.hpp"

namespace varnolt::tilt_stability::left_pseudo_semistabilizers::fixed_q_beta::fixed_r::bound_on_d::
    lower {

using primitives::checked_add;
using primitives::checked_mul;

LatticeBound radius_condition_prob2(const ProblemData& problem) {
    const Ratio& beta = problem.fixed_q_beta.search.beta;
    const wide m = beta.numer;
    const std::int64_t n_squared = primitives::checked_mul(beta.denom, beta.denom);
    // |m|² <= 2^126, so only the product with r and the sum can overflow.
    const wide a = checked_add<wide>(checked_mul<wide>(m * m, problem.r),
                                        checked_mul<wide>(2 * m, problem.fixed_q_beta.q_numer));
    const std::int64_t remainder = utils::floor_mod(a, n_squared);
    return {(a - remainder) / n_squared, remainder};
}

}  // namespace varnolt::tilt_stability::left_pseudo_semistabilizers::fixed_q_beta::fixed_r::bound_on_d::lower
