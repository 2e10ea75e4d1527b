#pragma once
// A failed search as varnolt raises it: OverflowError for a value beyond the
// core's range, RuntimeError with the search's message for every other kind.
#include "tilt_stability/search.hpp"

namespace varnolt::boundary {

// Sets that exception and throws PythonErrorSet.
[[noreturn]] void raise_search_failure(const tilt_stability::SearchFailure& failure);

// The value of a search, or its failure raised by raise_search_failure.
template <typename T>
T value_or_raise(tilt_stability::SearchResult<T> result) {
    if (!result) raise_search_failure(result.error());
    return std::move(*result);
}

}  // namespace varnolt::boundary
