#pragma once
// MemoryErrors that say why: every MemoryError the companion's native module
// raises carries a message with the figures it knows, never an empty one.
#include <cstdint>
#include <optional>
#include <string_view>

#include "boundary/call_guard.hpp"
#include "boundary/python.hpp"

namespace varnolt::walls {

// Sets MemoryError saying that `bytes` (when known) could not be allocated for
// `what`, with what the process can still use and what its searches under way
// have been promised; then throws PythonErrorSet.
[[noreturn]] void raise_out_of_memory(std::string_view what, std::optional<std::uint64_t> bytes);

// With a MemoryError without a message set (the allocator's std::bad_alloc,
// or an object Python could not make), sets one in its place that gives what
// the process can still use, measured now; any other error is left alone.
void explain_memory_error() noexcept;

// call_guarded (call_guard.hpp) for the companion's functions: the same, and
// a MemoryError always has its message.
template <typename Body>
PyObject* walls_guarded(Body&& body) {
    PyObject* const result = boundary::call_guarded(std::forward<Body>(body));
    if (result == nullptr) explain_memory_error();
    return result;
}

}  // namespace varnolt::walls
