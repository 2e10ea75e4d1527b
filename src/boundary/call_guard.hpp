#pragma once
// The call boundary: every function body runs inside call_guarded, which turns
// whatever ends it early into a Python exception and never lets a C++
// exception cross into the interpreter. Everything the modules throw derives
// from std::exception, the one type caught, so that the forced unwind of a
// thread that the interpreter ends passes through (thread_exit.hpp).
//   PythonErrorSet                 -> the error already set
//   primitives::ArithmeticOverflow -> OverflowError
//   std::bad_alloc, CandidateLimitReached -> MemoryError
//   tilt_stability::Interrupted    -> the signal's exception already set
//   primitives::Stop, any other std::exception -> PanicException, after a diagnostic on stderr
#include <exception>

#include "boundary/py_ref.hpp"
#include "boundary/python.hpp"

namespace varnolt::boundary {

// Makes sure this thread's exception-handling data exists; see call_guard.cpp.
void prepare_thread_for_exceptions() noexcept;

// Sets the Python exception for the std::exception being handled and returns
// null. Only to be called from inside a catch block of std::exception.
PyObject* raise_current_exception() noexcept;

// Runs body; returns its new reference, or null with the Python exception set.
// A template rather than a std::function, so that nothing (no allocation) can
// throw outside the try. Not noexcept: a thread's forced unwind goes on
// through here to CPython's frames and the thread's start.
template <typename Body>
PyObject* call_guarded(Body&& body) {
    prepare_thread_for_exceptions();
    // Makes this thread's dict now, while no error is pending: PyRef's test of
    // the lock (holds_interpreter_lock) would make it later, and should making
    // it fail then, the pending error would be lost. Once made, it stays.
    if (!holds_interpreter_lock()) return PyErr_NoMemory();
    try {
        return body();
    } catch (const std::exception&) {
        return raise_current_exception();
    }
}

}  // namespace varnolt::boundary
