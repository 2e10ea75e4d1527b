#pragma once
// One rank r (and with it ch1 = c·ℓ) of one value of q: the admissible ch2.
//
// Everything is scaled by 2n² (β = m/n, q = k/n) so that it stays in integers:
// a candidate (r, c, d) has A/n² < d <= (A + W)/n², where A = r·m² + 2·m·k is
// 2n² times the radius bound L, and W is 2n² times the least of the caps on the
// candidate's twisted ch2 that apply:
//   upper_bound_positive_r      (r > 0)       q²/(2r)           -> k²/r
//   upper_bound_r_above_v       (r > v.r)     δ²/(2(r − v.r))   -> (X − k)²/(r − v.r)
//   upper_bound_r_below_half_v  (2r < v.r)    δ·q/(v.r − 2r)    -> 2k(X − k)/(v.r − 2r)
// with δ = s − q = (X − k)/n the twisted ch1 of v minus that of the candidate.
#include <cstdint>
#include <optional>

#include "tilt_stability/left_pseudo_semistabilizers/fixed_q_beta/fixed_q_beta.hpp"

namespace varnolt::tilt_stability::left_pseudo_semistabilizers::fixed_q_beta::fixed_r {

// An integer A held as quotient·n² + remainder with 0 <= remainder < n².
struct LatticeBound {
    __int128 quotient;
    std::int64_t remainder;
};

// A non-negative fraction numer/denom with denom > 0.
struct Cap {
    __int128 numer;
    __int128 denom;
};

struct ProblemData {
    const FixedQBetaData& fixed_q_beta;
    std::int64_t r;
    std::int64_t c;

    // The candidates (r, c, d) by increasing d, or
    // "logical error, all upper bounds are None" when no cap applies (r = 0 = v.r).
    Outcome<Candidates> find_all() const;

    // Appends the candidates to out, given this rank's radius bound (as
    // radius_condition_prob2 computes it; a caller walking ranks of one residue
    // class modulo n² may carry it forward instead).
    Outcome<void> append_candidates(const LatticeBound& lower, RunSink& out) const;

    // 2n² times the least cap on the twisted ch2 that applies, if any.
    std::optional<Cap> scaled_upper_cap() const;
};

}  // namespace varnolt::tilt_stability::left_pseudo_semistabilizers::fixed_q_beta::fixed_r
