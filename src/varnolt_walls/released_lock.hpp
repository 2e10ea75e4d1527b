#pragma once
// The interpreter lock released for the lifetime of a scope, so that other
// Python threads run while the core works. The core touches no Python object;
// only with_lock runs code that may.
#include <chrono>

#include "py_ref.hpp"
#include "python.hpp"
#include "tilt_stability/interrupt.hpp"

namespace varnolt::walls {

class ReleasedLock {
public:
    ReleasedLock() : thread_(PyEval_SaveThread()) {}
    // Also runs while an exception from the core unwinds, so the guard that
    // turns it into a Python exception holds the lock again.
    ~ReleasedLock() { PyEval_RestoreThread(thread_); }
    ReleasedLock(const ReleasedLock&) = delete;
    ReleasedLock& operator=(const ReleasedLock&) = delete;

    // Runs body with the lock held, and releases the lock again afterwards,
    // whether body returns or throws.
    template <typename Body>
    decltype(auto) with_lock(Body&& body) {
        PyEval_RestoreThread(thread_);
        const Release release{thread_};
        return body();
    }

private:
    struct Release {
        PyThreadState*& thread;
        ~Release() { thread = PyEval_SaveThread(); }
    };
    PyThreadState* thread_;
};

// The check the core's InterruptPoll runs: whether a signal handler (Ctrl-C's
// raises KeyboardInterrupt) has asked the call to end, and, when the caller
// gave a progress callback, its call with (done, total). Taking the lock back
// can wait for another thread's switch interval (5 ms by default), so it is
// done at most every `period`, however often the core asks. An exception from
// the callback ends the search as KeyboardInterrupt does, and is what the
// caller sees.
class SignalCheck {
public:
    static constexpr std::chrono::milliseconds period{50};

    // progress: a borrowed callable, or null for none; the call's arguments
    // outlive the search.
    SignalCheck(ReleasedLock& lock, PyObject* progress) : lock_(lock), progress_(progress) {}

    bool operator()(const tilt_stability::Progress& progress) {
        const auto now = std::chrono::steady_clock::now();
        if (now - last_ < period) return false;
        last_ = now;
        return lock_.with_lock([&] { return PyErr_CheckSignals() != 0 || !report(progress); });
    }

private:
    // Calls the callback with the lock held; false when it raised.
    bool report(const tilt_stability::Progress& progress) const;

    ReleasedLock& lock_;
    PyObject* progress_;
    std::chrono::steady_clock::time_point last_ = std::chrono::steady_clock::now();
};

inline bool SignalCheck::report(const tilt_stability::Progress& progress) const {
    if (progress_ == nullptr) return true;
    const PyRef done = PyRef::steal(PyLong_FromLongLong(progress.done));
    const PyRef total = PyRef::steal(PyLong_FromLongLong(progress.total));
    if (!done || !total) return false;
    PyObject* const arguments[] = {done.get(), total.get()};
    return static_cast<bool>(PyRef::steal(PyObject_Vectorcall(progress_, arguments, 2, nullptr)));
}

}  // namespace varnolt::walls
