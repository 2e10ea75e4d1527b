#pragma once
// The continued fractions that solve X² − d·Y² = k (d > 0 not a square,
// k > 0), after Lagrange, Matthews and Mollin: every solution is ±f·(G, B)
// times a unit, for a square f² dividing k and a pair (G, B) read off the
// expansion of (z + √d)/m, m = k/f², z² ≡ d (mod m).
#include <cstdint>
#include <vector>

#include "tilt_stability/interrupt.hpp"

namespace varnolt::k3 {

// One expansion that reaches a complete quotient (P + √d)/Q with Q = ±1.
struct PellExpansion {
    std::int64_t f;                       // the square factor: f² divides k
    std::int64_t z;                       // −m/2 < z <= m/2, z² ≡ d (mod m), m = k/f²
    std::vector<std::int64_t> quotients;  // a_0 ... a_{i−1}, for the first i >= 1 with Q_i = ±1
};

// For each f >= 1 with f² | k and each z as above, the partial quotients of
// (z + √d)/m up to the first complete quotient with Q_i = ±1 (i >= 1), when
// one comes within the first period; expansions that never reach one are left
// out. With G_{−2} = −z, G_{−1} = m, B_{−2} = 1, B_{−1} = 0 and
// G_j = a_j·G_{j−1} + G_{j−2} (B alike), G_{i−1}² − d·B_{i−1}² = (−1)^i·Q_i·m.
//
// Why it is complete (the LMM theorem): a solution (X, Y) with gcd f has
// (X/f, Y/f) primitive of norm m, so X ≡ z·Y (mod m) for one root z of d
// modulo m, and that class of primitive solutions, if not empty, holds
// (G_{i−1}, B_{i−1}) when its norm is m; a norm −m is turned into m by a unit
// of norm −1, and without one the class is empty. For k = 1 (f = 1, z = 0) the
// expansion is that of √d over its first period: the least unit, of norm
// (−1)^i.
//
// The complete quotients keep |P| <= √d + m and 0 < |Q| <= 2·√d + m, so all of
// it is 64-bit arithmetic for d, k < 2^60 (larger ones raise
// ArithmeticOverflow); a period ends when a pair (P, Q) comes back. Ticks
// `interrupt` once per step.
std::vector<PellExpansion> pell_expansions(std::int64_t d, std::int64_t k,
                                           tilt_stability::InterruptPoll& interrupt);

}  // namespace varnolt::k3
