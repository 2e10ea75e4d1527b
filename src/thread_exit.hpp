#pragma once
// How a thread ends when it takes the interpreter lock back after the
// interpreter has begun to finalise (a daemon thread still searching at exit,
// or a thread left running by a second Ctrl-C): CPython 3.12 and 3.13 end it
// with pthread_exit, which glibc carries out as a forced unwind, an exception
// that unwinds every frame of the thread and cannot be stopped. A catch (...)
// that does not rethrow it, or a noexcept frame on its way, calls
// std::terminate and the process aborts. So every frame on the way from a
// call into the module to a place that takes the lock is noexcept(false), and
// every catch (...) there passes the unwind on; nothing calls into Python
// while it passes, as the thread no longer holds the lock: a reference held
// by such a frame is left unreleased, as the interpreter leaves those of its
// own frames.
#include <cxxabi.h>

#include <concepts>

#include "py_ref.hpp"

namespace varnolt {

// Only inside a catch (...) block: rethrows the exception being handled when
// it is a thread's forced unwind (or any other exception from outside C++),
// returns otherwise.
inline void rethrow_if_thread_exit() {
#if defined(__GLIBCXX__)
    try {
        throw;
    } catch (const abi::__forced_unwind&) {
        throw;
    } catch (...) {
    }
#else
    // libc++abi knows no C++ type for an exception from outside C++.
    if (abi::__cxa_current_exception_type() == nullptr) throw;
#endif
}

// Runs body and returns what it returns. Should the thread's forced unwind
// pass through body, gives up `held` first: releasing them would need the lock.
template <typename Body, std::same_as<PyRef>... Held>
decltype(auto) leaking_on_thread_exit(Body&& body, Held&... held) {
    try {
        return body();
    } catch (...) {
        try {
            rethrow_if_thread_exit();
        } catch (...) {
            (static_cast<void>(held.release()), ...);
            throw;
        }
        throw;
    }
}

}  // namespace varnolt
