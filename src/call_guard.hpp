#pragma once
// The call boundary: every function body runs inside call_guarded, which turns
// whatever ends it early into a Python exception and never lets a C++
// exception cross into the interpreter.
//   PythonErrorSet           -> the error already set
//   utils::ArithmeticOverflow -> OverflowError
//   std::bad_alloc           -> MemoryError
//   tilt_stability::Interrupted -> the signal's exception already set
//   utils::Stop, anything else -> PanicException, after a diagnostic on stderr
#include <functional>

#include "python.hpp"

namespace varnolt {

// Runs body; returns its new reference, or null with the Python exception set.
PyObject* call_guarded(const std::function<PyObject*()>& body) noexcept;

}  // namespace varnolt
