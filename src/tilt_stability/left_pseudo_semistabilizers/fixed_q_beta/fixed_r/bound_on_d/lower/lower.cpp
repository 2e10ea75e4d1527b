#include "tilt_stability/left_pseudo_semistabilizers/fixed_q_beta/fixed_r/bound_on_d/lower/lower.hpp"

namespace varnolt::tilt_stability::left_pseudo_semistabilizers::fixed_q_beta::fixed_r::bound_on_d::
    lower {

ratio::Ratio radius_condition_prob2(const ProblemData& problem) {
    const Ratio& beta = problem.fixed_q_beta.search.beta;
    const Ratio q = Ratio::new_(problem.fixed_q_beta.q_numer, beta.denom);
    const Ratio half_r_beta_squared = ratio::div(ratio::mul(ratio::pow(beta, 2), problem.r), 2);
    return ratio::add(half_r_beta_squared, beta * q);
}

}  // namespace varnolt::tilt_stability::left_pseudo_semistabilizers::fixed_q_beta::fixed_r::bound_on_d::lower
