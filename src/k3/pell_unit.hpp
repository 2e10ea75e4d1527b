#pragma once
// The fundamental unit of norm 1 of ℤ[√d]: the least solution x > 1 of
// x² − d·y² = 1, for d > 0 not a square.
#include <cstdint>

#include "tilt_stability/interrupt.hpp"
#include "utils/int128.hpp"

namespace varnolt::k3 {

struct PellUnit {
    utils::wide x;
    utils::wide y;
};

// From the continued fraction of √d: with period length ℓ, the convergent
// h/k of index ℓ − 1 solves x² − d·y² = (−1)^ℓ, and it is the least solution
// of that norm; for odd ℓ the least one of norm 1 is its square
// (h² + d·k², 2·h·k), the convergent of index 2ℓ − 1. Throws
// ArithmeticOverflow when x leaves 128 bits; ticks `interrupt` once per
// partial quotient. d must be positive and not a square.
PellUnit pell_unit(std::int64_t d, tilt_stability::InterruptPoll& interrupt);

}  // namespace varnolt::k3
