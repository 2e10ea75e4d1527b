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
// thread no longer holds the lock: PyRef and the buffer views see that
// (holds_interpreter_lock, py_ref.hpp) and leave what they hold unreleased, as
// the interpreter leaves the references of its own frames.
