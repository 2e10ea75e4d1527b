#pragma once
// Integer helpers around Ratio: rounding to the neighbouring integers, the
// inverse of a residue, and exact square roots.
#include <cstdint>
#include <optional>

#include "ratio/ratio.hpp"
#include "utils/message.hpp"

namespace varnolt::utils {

using ratio::Ratio;

// The least integer strictly greater than x, floor(x) + 1. Raises
// ArithmeticOverflow for x = 2^63 - 1, whose successor does not fit.
std::int64_t least_greater_int(const Ratio& x);

// The greatest integer not greater than x, floor(x).
std::int64_t greatest_lesser_or_eq_int(const Ratio& x);

// The inverse of a modulo m in 1 ... m - 1, or the message
// "both arguments to modulo_inverse must be positive" (a < 0 or m < 2) or
// "modulo inverse does not exist" (gcd(a, m) != 1). Exact for every modulus.
Outcome<std::int64_t> modulo_inverse(std::int64_t a, std::int64_t m);

// A Ratio whose square is x, or nothing when x has no rational square root.
std::optional<Ratio> checked_sqrt(const Ratio& x);

// floor(sqrt(a)), exact for every a.
std::uint64_t sqrt(std::uint64_t a);

}  // namespace varnolt::utils
