#pragma once
// PanicException ("pyo3_runtime.PanicException"), the type of every internal
// stop that reaches Python, one type shared by both modules. It derives from
// BaseException, like SystemExit.
#include <source_location>
#include <string>

#include "boundary/python.hpp"

namespace varnolt::boundary {

// Writes the diagnostic of a stop to standard error and sets a PanicException
// carrying message as the current Python exception. If the exception cannot
// even be created, the process ends: there is no sound way to go on.
void raise_panic(const std::string& message, const std::source_location& where);

// Ends the process after "uncaught panic at ffi boundary".
[[noreturn]] void abort_at_boundary() noexcept;

}  // namespace varnolt::boundary
