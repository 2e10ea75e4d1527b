#pragma once
// How a thread ends when it takes the interpreter lock back after the
// interpreter has begun to finalise (a daemon thread still searching at exit,
// or a thread left running by a second Ctrl-C): CPython 3.12 and 3.13 end it
// with pthread_exit, which glibc carries out as a forced unwind, an exception
// from outside C++ that unwinds every frame of the thread and must not be
// stopped.
//
// Nothing on its way may catch it. A noexcept frame or a catch (...) that does
// not rethrow it calls std::terminate; and a catch (...) that rethrows it is
// no better with LLVM's libc++abi (the C++ runtime of the portable wheels),
// which rethrows an exception from outside C++ as a new, unforced one that
// nothing handles. So every frame from a call into the modules to a place that
// takes the lock is noexcept(false), and catches only std::exception, the base
// of everything the modules throw, which the forced unwind is not.
//
// Destructors still run as it passes, but nothing may call into Python, as the
// thread no longer holds the lock: a reference held by such a frame is left
// unreleased (leaking_on_thread_exit), as the interpreter leaves those of its
// own frames.
#include <concepts>
#include <exception>
#include <tuple>

#include "boundary/py_ref.hpp"

namespace varnolt::boundary {

// Runs body and returns what it returns. Should the thread's forced unwind
// pass through body, gives up `held` first: releasing them would need the lock.
// A C++ exception raises std::uncaught_exceptions() while it unwinds; the
// forced unwind, not being one, leaves it as it was.
template <typename Body, std::same_as<PyRef>... Held>
decltype(auto) leaking_on_thread_exit(Body&& body, Held&... held) {
    struct LeakUnlessFinished {
        const int uncaught = std::uncaught_exceptions();
        bool finished = false;
        std::tuple<Held&...> held;
        ~LeakUnlessFinished() {
            if (finished || std::uncaught_exceptions() != uncaught) return;
            std::apply([](auto&... reference) { (static_cast<void>(reference.release()), ...); },
                       held);
        }
    } guard{.held = {held...}};
    decltype(auto) result = body();
    guard.finished = true;
    return result;
}

}  // namespace varnolt::boundary
