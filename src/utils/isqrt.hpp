#pragma once
// The exact integer square root.
#include "primitives/int128.hpp"

namespace varnolt::utils {

// floor(sqrt(a)), exact for every a (the result is below 2^64).
primitives::uwide isqrt(primitives::uwide a);

}  // namespace varnolt::utils
