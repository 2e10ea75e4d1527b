#pragma once
// Modular arithmetic: the inverse of a residue.
#include <cstdint>

#include "utils/message.hpp"

namespace varnolt::utils {

// The inverse of a modulo m in 1 ... m - 1, or the message
// "both arguments to modulo_inverse must be positive" (a < 0 or m < 2) or
// "modulo inverse does not exist" (gcd(a, m) != 1). Exact for every modulus.
Outcome<std::int64_t> modulo_inverse(std::int64_t a, std::int64_t m);

}  // namespace varnolt::utils
