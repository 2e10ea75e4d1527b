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
//
// Only floor(W) matters: floor((A + W)/n²) = floor((A + floor(W))/n²) for an
// integer A (write W = w + f with 0 <= f < 1 and A + w = a·n² + b with
// 0 <= b < n²; then b + f < n²), and floor(min W_i) = min floor(W_i) since
// floor is monotone. So the caps are compared and used as their floors, which
// are exact in 128 bits: no cross product is ever formed.
#include <cstdint>
#include <optional>

#include "tilt_stability/left_pseudo_semistabilizers/fixed_q_beta/fixed_q_beta.hpp"

namespace varnolt::tilt_stability::left_pseudo_semistabilizers::fixed_q_beta::fixed_r {

// An integer A held as quotient·n² + remainder with 0 <= remainder < n².
struct LatticeBound {
    wide quotient;
    std::int64_t remainder;

    // A at the rank t·n² higher: A grows by t·n²·m², so the quotient grows by
    // t·m² and the remainder stays. Raises ArithmeticOverflow beyond 128 bits.
    LatticeBound advanced(std::int64_t m, std::int64_t t) const;
};

// The scaled caps of the candidates of one q, as functions of the rank r.
//
// Along the ranks the search admits, r > v.r·k/X with 0 < k < X, the least cap
// W(r) never increases: the third cap is never below the first, since for
// 2r < v.r (so v.r > 0)
//   2k(X−k)/(v.r − 2r) >= k²/r  <=>  2(X−k)·r >= k·(v.r − 2r)  <=>  r >= v.r·k/(2X),
// which holds as r > v.r·k/X; so W(r) = min(k²/r, (X−k)²/(r − v.r) when r > v.r),
// and both decrease as r grows while the second only joins once r > v.r.
class Caps {
public:
    explicit Caps(const FixedQBetaData& fixed_q_beta);

    // floor(W(r)) for the least cap that applies at rank r (any rank); none
    // when no cap applies (r = 0 = v.r).
    std::optional<wide> least_floor_at(std::int64_t r) const;

    // The largest rank r with W(r) >= threshold (an integer >= 1), valid for
    // the ranks the search admits: W(r) >= threshold holds for every admitted
    // rank up to it and for none beyond.
    wide largest_rank_reaching(wide threshold) const;

private:
    std::int64_t v_r_;
    wide k_squared_;          // k²
    wide x_minus_k_squared_;  // (X − k)²
    wide two_k_x_minus_k_;    // 2k(X − k)
};

struct ProblemData {
    const FixedQBetaData& fixed_q_beta;
    std::int64_t r;
    std::int64_t c;

    // Appends the candidates (r, c, d) to out by increasing d, or returns
    // "logical error, all upper bounds are None" when no cap applies
    // (r = 0 = v.r). Given the caps of this q and this rank's
    // radius bound (as radius_condition_prob2 computes it; a caller walking
    // the ranks of one residue class modulo n² may advance it instead).
    Outcome<void> append_candidates(const Caps& caps, const LatticeBound& lower,
                                    RunSink& out) const;
    // The candidates (r, c, d) by increasing d as one run (none when no d
    // fits), from this q's caps and this rank's radius bound, or that message.
    Outcome<CandidateRuns> find_all() const;
};

}  // namespace varnolt::tilt_stability::left_pseudo_semistabilizers::fixed_q_beta::fixed_r
