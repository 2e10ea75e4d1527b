#pragma once
// The exact integer square root.
#include <cstdint>

#include "primitives/int128.hpp"

namespace varnolt::utils {

// floor(sqrt(a)), exact for every a (the result is below 2^64).
primitives::uwide isqrt(primitives::uwide a);

// floor(sqrt(a)) of a 64-bit a: the same root, whose value fits 32 bits.
inline std::uint64_t sqrt(std::uint64_t a) { return static_cast<std::uint64_t>(isqrt(a)); }

}  // namespace varnolt::utils
