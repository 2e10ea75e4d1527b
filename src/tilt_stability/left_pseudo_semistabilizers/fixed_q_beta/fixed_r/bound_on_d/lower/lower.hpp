#pragma once
// The radius condition's lower bound on ch2.
#include <cstdint>

#include "tilt_stability/left_pseudo_semistabilizers/fixed_q_beta/fixed_r/fixed_r.hpp"

namespace varnolt::tilt_stability::left_pseudo_semistabilizers::fixed_q_beta::fixed_r::bound_on_d::
    lower {

// L = r·β²/2 + β·q is the ch2 at which the candidate's ch2 twisted by β,
// ch2 − β·c + (β²/2)·r, vanishes (c = q + r·β); candidates lie strictly above.
// With β = m/n and q = k/n, 2n²·L = A = r·m² + 2·m·k, so d/2 > L reads
// d > A/n². Returns A split as quotient·n² + remainder, 0 <= remainder < n²:
// the least admissible d is quotient + 1.
LatticeBound radius_condition_prob2(const ProblemData& problem);

}  // namespace varnolt::tilt_stability::left_pseudo_semistabilizers::fixed_q_beta::fixed_r::bound_on_d::lower
