#pragma once
// The call boundary: every function body runs inside call_guarded, which turns
// whatever ends it early into a Python exception and never lets a C++
// exception cross into the interpreter.
//   PythonErrorSet              -> the error already set
//   utils::ArithmeticOverflow   -> OverflowError
//   std::bad_alloc, CandidateLimitReached -> MemoryError
//   tilt_stability::Interrupted -> the signal's exception already set
//   utils::Stop, anything else  -> PanicException, after a diagnostic on stderr
#include "python.hpp"

namespace varnolt {

// Makes sure this thread's exception-handling data exists; see call_guard.cpp.
void prepare_thread_for_exceptions() noexcept;

// Sets the Python exception for the C++ exception being handled and returns
// null. Only to be called from inside a catch block.
PyObject* raise_current_exception() noexcept;

// Runs body; returns its new reference, or null with the Python exception set.
// A template rather than a std::function, so that nothing (no allocation) can
// throw outside the try.
template <typename Body>
PyObject* call_guarded(Body&& body) noexcept {
    prepare_thread_for_exceptions();
    try {
        return body();
    } catch (...) {
        return raise_current_exception();
    }
}

}  // namespace varnolt
