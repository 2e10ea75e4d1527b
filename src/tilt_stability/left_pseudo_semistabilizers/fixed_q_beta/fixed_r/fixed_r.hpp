#pragma once
// One rank r (and with it ch1 = c·ℓ) of one value of q: the admissible ch2.
#include <cstdint>

#include "tilt_stability/left_pseudo_semistabilizers/fixed_q_beta/fixed_q_beta.hpp"

namespace varnolt::tilt_stability::left_pseudo_semistabilizers::fixed_q_beta::fixed_r {

struct ProblemData {
    const FixedQBetaData& fixed_q_beta;
    std::int64_t r;
    std::int64_t c;

    // The candidates (r, c, d) with d/2 strictly above the radius-condition
    // bound L and at most the least upper bound that applies, by increasing d;
    // or "logical error, all upper bounds are None" when none applies
    // (r = 0 = v.r).
    Outcome<Candidates> find_all() const;
};

}  // namespace varnolt::tilt_stability::left_pseudo_semistabilizers::fixed_q_beta::fixed_r
