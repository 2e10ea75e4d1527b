#pragma once
// Result-or-message values of the search: either the value, or a static text
// that says why there is none. Messages are never composed at run time.
#include <expected>

namespace varnolt::utils {

using Message = const char*;

template <typename T>
using Outcome = std::expected<T, Message>;

}  // namespace varnolt::utils
