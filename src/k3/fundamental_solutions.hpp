#pragma once
// One solution of every orbit of X² − d·Y² = k (k > 0, d > 0 not a square)
// under the unit ε = x1 + y1·√d of pell_unit.
#include <cstdint>
#include <vector>

#include "k3/pell_unit.hpp"
#include "tilt_stability/interrupt.hpp"
#include "utils/int128.hpp"

namespace varnolt::k3 {

struct Solution {
    utils::wide x;
    utils::wide y;

    friend bool operator==(const Solution&, const Solution&) = default;
};

// Every solution with X > 0 and 0 <= Y, 2·d·Y² <= k·(x1 − 1), by increasing Y.
//
// Why they meet every orbit. For X > 0 write X + Y·√d = √k·e^φ; then
// X − Y·√d = √k·e^−φ, so Y·√d = √k·sinh φ, and multiplying by ε^j adds j·log ε
// to φ and keeps X > 0. Some member of each orbit has |φ| <= log(ε)/2, where
// d·Y² = k·sinh²φ <= k·sinh²(log(ε)/2) = k·(cosh(log ε) − 1)/2 = k·(x1 − 1)/2;
// the solutions with Y < 0 there are the conjugates (X, −Y) of those listed.
// Throws ArithmeticOverflow when k·(x1 − 1) or k + d·Y² leaves 128 bits; ticks
// `interrupt` once per Y, so a bound far out can be interrupted.
std::vector<Solution> fundamental_solutions(std::int64_t d, std::int64_t k, const PellUnit& unit,
                                            tilt_stability::InterruptPoll& interrupt);

}  // namespace varnolt::k3
