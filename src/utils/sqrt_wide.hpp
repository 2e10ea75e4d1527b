#pragma once
// Exact integer square root of unsigned 128-bit numbers.
#include "utils/wide.hpp"

namespace varnolt::utils {

using uwide = unsigned __int128;

// floor(sqrt(a)), exact for every a (the result is below 2^64).
uwide sqrt_wide(uwide a);

}  // namespace varnolt::utils
