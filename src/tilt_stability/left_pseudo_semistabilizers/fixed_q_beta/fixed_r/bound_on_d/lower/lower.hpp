#pragma once
// The radius condition's lower bound on ch2.
#include "ratio/ratio.hpp"
#include "tilt_stability/left_pseudo_semistabilizers/fixed_q_beta/fixed_r/fixed_r.hpp"

namespace varnolt::tilt_stability::left_pseudo_semistabilizers::fixed_q_beta::fixed_r::bound_on_d::
    lower {

// L = r·β²/2 + β·q: the ch2 at which the candidate's ch2 twisted by β,
// ch2 − β·c + (β²/2)·r, vanishes (c = q + r·β). Candidates lie strictly above.
ratio::Ratio radius_condition_prob2(const ProblemData& problem);

}  // namespace varnolt::tilt_stability::left_pseudo_semistabilizers::fixed_q_beta::fixed_r::bound_on_d::lower
