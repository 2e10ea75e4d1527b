#pragma once
// Which (r, c) of one rank can hold a candidate, by an exact integer test
// before any surd arithmetic.
//
// Claim: every candidate u = (r, c, d/2) has Bogomolov discriminant
// Δ_u = c² − r·d with 0 <= Δ_u < q², q = c − r·β its twisted ch1.
// Proof: q² − Δ_u = −2r·β·c + r²·β² + r·d, so the twisted ch2 of u is
// d/2 − β·c + β²·r/2 = (q² − Δ_u)/(2r). The radius condition asks it to be
// positive: Δ_u < q². The cap q²/(2r) asks it to be at most q²/(2r): Δ_u >= 0.
//
// Bounds on q without a surd: q < S, the twisted ch1 of v (S = √Δ, S² = Δ,
// the radicand of β, which is irrational here); and the admissible c of a
// rank start at floor(r·β) + 1 (the least c with q > 0), so the j-th of them
// (j = 0, 1, ...) has q in (j, j + 1]. So Δ_u < min(S², (j + 1)²) = B_j.
//
// So r·d lies in (c² − B_j, c²]. The largest multiple of r up to c² is
// c² − m for m = c² mod r, and it is above c² − B_j exactly when m < B_j:
// when m >= B_j no d makes a candidate and the pair is skipped. For r <= B_j
// every pair passes (m < r); for larger r about B_j/r of them do. Over the
// c of a rank, Σ_j (j + 1)² for j < S is about S³/3, against S·S² for the
// bound S² alone: about a third as many pairs reach the surd arithmetic
// (7 889 against 20 371 for v = (1, 0, −200) up to rank 10⁵).
//
// m is followed along the c of one rank without a division per pair: with
// k = (2λc + λ²) mod r for the step λ between visited c, (c + λ)² = c² +
// (2λc + λ²) gives m ← m + k and k ← k + (2λ² mod r), each reduced by one
// subtraction (both stay below r). The first c of a rank needs c mod r, which
// floor(β) gives without a division when it is the rank's first admissible c:
// with f = floor(β), r·f <= floor(r·β) < r·f + r, so x = c − r·f lies in
// [1, r] and c ≡ x.
//
// The step λ: on a surface of degree n >= 3 only the c' divisible by λ hold
// classes of the surface (surface/surface.hpp), so only those are visited.
// The admissible c of a rank span less than S + 1, where S = λ·S₀ for S₀
// the twisted ch1 of v before scaling, so a rank visits at most S₀ + 2 of
// them (fewer than S + 1 consecutive integers hold at most (S + 1)/λ + 1
// multiples of λ), whatever the degree: without the step it would visit about
// λ·S₀, a count that grows with n (λ = n for a prime n). The bound (j + 1)²
// keeps j, the index of c among all the c of the rank, so each visited c is
// tested exactly as without the step.
#include <cstdint>
#include <type_traits>

#include "primitives/int128.hpp"

namespace varnolt::tilt_stability::bounded_rank {

// Stepped: the c are visited in steps of λ = step >= 1, from any c of the
// rank; otherwise one by one from the rank's first c (step = 1, c = first_c),
// with the steps' constants folded into the code of the walk's inner loop.
template <bool Stepped>
class SquareResidues {
public:
    // For rank r >= 1 whose admissible c start at first_c = floor(r·β) + 1,
    // visited from c >= first_c on in steps of step, with beta_floor =
    // floor(β) and s_squared = S² = Δ (0 < Δ < 2^63).
    SquareResidues(std::int64_t r, std::int64_t first_c, std::int64_t c, std::int64_t step,
                   primitives::wide beta_floor, std::int64_t s_squared);

    // Whether the current c can hold a candidate: m < min(S², (j + 1)²).
    bool may_hold_candidates() const { return m_ < bound_ && m_ < square_; }

    // Moves to the next visited c of the rank, step further.
    void next_c() {
        m_ = reduced(m_ + k_);
        k_ = reduced(k_ + twice_step_squared_);
        // (j + 1 + λ)² = (j + 1)² + 2λ(j + 1) + λ², modulo 2^64: exact for
        // every visited c, whose j + 1 <= S + 1 < 2^32 (S < 2^31.5).
        square_ += odd_;
        if constexpr (Stepped)
            odd_ += twice_step_squared_in_full_;
        else
            odd_ += 2;
    }

    // Moves on, by at most `most` steps of next_c, to the next c that may hold
    // candidates; returns the steps taken. The state stays in registers.
    std::int64_t skip(std::int64_t most) {
        SquareResidues at = *this;
        std::int64_t steps = 0;
        for (; steps < most && !at.may_hold_candidates(); ++steps) at.next_c();
        *this = at;
        return steps;
    }

private:
    // x < 2·modulus, in [0, modulus).
    std::uint64_t reduced(std::uint64_t x) const { return x >= modulus_ ? x - modulus_ : x; }

    std::uint64_t modulus_;
    std::uint64_t bound_;                       // S²
    std::uint64_t twice_step_squared_;          // 2λ² mod r: 0 for λ = 1 and r = 1, 2, where k stays put
    // 2λ² (mod 2^64, as square_ and odd_); the plain walk holds no such member.
    struct NoStep {};
    [[no_unique_address]] std::conditional_t<Stepped, std::uint64_t, NoStep> twice_step_squared_in_full_{};
    std::uint64_t m_ = 0;                       // c² mod r
    std::uint64_t k_ = 0;                       // (2λc + λ²) mod r
    std::uint64_t square_ = 1;                  // (j + 1)² for the j-th c of the rank
    std::uint64_t odd_ = 3;                     // 2λ(j + 1) + λ²
};

extern template class SquareResidues<false>;
extern template class SquareResidues<true>;

}  // namespace varnolt::tilt_stability::bounded_rank
