#pragma once
// The interpreter lock released for the lifetime of a scope, so that other
// Python threads run while the core works. The core touches no Python object;
// only with_lock runs code that may.
#include <chrono>

#include "python.hpp"

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
// raises KeyboardInterrupt) has asked the call to end. Taking the lock back
// can wait for another thread's switch interval (5 ms by default), so it is
// done at most every `period`, however often the core asks.
class SignalCheck {
public:
    static constexpr std::chrono::milliseconds period{50};

    explicit SignalCheck(ReleasedLock& lock) : lock_(lock) {}

    bool operator()() {
        const auto now = std::chrono::steady_clock::now();
        if (now - last_ < period) return false;
        last_ = now;
        return lock_.with_lock([] { return PyErr_CheckSignals() != 0; });
    }

private:
    ReleasedLock& lock_;
    std::chrono::steady_clock::time_point last_ = std::chrono::steady_clock::now();
};

}  // namespace varnolt::walls
