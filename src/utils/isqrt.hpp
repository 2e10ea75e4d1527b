#pragma once
// The exact integer square root.
#include "utils/int128.hpp"

namespace varnolt::utils {

// floor(sqrt(a)), exact for every a (the result is below 2^64).
uwide isqrt(uwide a);

}  // namespace varnolt::utils
