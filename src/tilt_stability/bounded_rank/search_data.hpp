#pragma once
// The record of one search bounded by rank, shared read-only by the stages
// below its driver. β₋ may be irrational here: it is held exactly as a surd
// over an integer denominator.
#include <cstdint>
#include <optional>

#include "chern_character/chern_character.hpp"
#include "quadratic/surd.hpp"
#include "tilt_stability/interrupt.hpp"
#include "tilt_stability/candidates/candidates.hpp"
#include "utils/message.hpp"

namespace varnolt::tilt_stability::bounded_rank {

using chern_character::ChernChar;
using quadratic::Surd;
using utils::Outcome;
using primitives::uwide;
using primitives::wide;

// β = numer / denom exactly, denom >= 1.
struct ExactBeta {
    Surd numer;
    std::int64_t denom;
};

// β₋(v) for v of rank >= 0: m/n (radicand 0) when it is rational, and
// (c − √Δ)/r when r > 0 and Δ = c² − r·d > 0 is not a square. Nothing when v
// has no real β₋ (Δ < 0, or r = 0 = c). Raises ArithmeticOverflow as β_ does.
std::optional<ExactBeta> exact_beta(const ChernChar<2>& v);

struct BoundedSearchData {
    const ChernChar<2>& v;
    ExactBeta beta;
    std::int64_t max_rank;
    InterruptPoll& interrupt;
    // Only the candidates whose c is divisible by it are wanted (λ of a
    // surface's lattice, surface/surface.hpp); the walk visits no other c.
    std::int64_t c_modulus = 1;

    std::int64_t t() const { return beta.denom; }
    // t·S for the twisted ch1 S = v.c − v.r·β of v (√Δ when β is irrational).
    Surd scaled_twisted_v() const;
    // t·q for the twisted ch1 q = c − r·β of a candidate of rank r and ch1 c.
    Surd scaled_q(std::int64_t r, std::int64_t c) const;
};

}  // namespace varnolt::tilt_stability::bounded_rank
