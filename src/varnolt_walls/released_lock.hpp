#pragma once
// The interpreter lock released while the core works (work_without_lock), so
// that other Python threads run meanwhile. The core touches no Python object;
// only with_lock runs code that may.
#include <chrono>
#include <exception>
#include <optional>
#include <utility>

#include "boundary/py_ref.hpp"
#include "boundary/python.hpp"
#include "tilt_stability/interrupt.hpp"

namespace varnolt::walls {

class ReleasedLock {
public:
    ReleasedLock(const ReleasedLock&) = delete;
    ReleasedLock& operator=(const ReleasedLock&) = delete;

    // Takes the lock back, unless this thread holds it already. thread_ is
    // null exactly while the thread holds the lock, or while pthread_exit
    // unwinds it (thread_exit.hpp), so the unwind never takes it again.
    void take_back() {
        if (thread_ != nullptr) PyEval_RestoreThread(std::exchange(thread_, nullptr));
    }

    // Runs body with the lock held, and releases the lock again afterwards.
    // body must throw nothing but the forced unwind of pthread_exit, which
    // leaves the lock as the interpreter left it (not held).
    template <typename Body>
    decltype(auto) with_lock(Body&& body) {
        take_back();
        decltype(auto) result = body();
        thread_ = PyEval_SaveThread();
        return result;
    }

private:
    // Made only by work_without_lock, which takes the lock back at a point
    // where no exception unwinds; the destructor never takes it.
    ReleasedLock() : thread_(PyEval_SaveThread()) {}
    template <typename Work>
    friend auto work_without_lock(Work&& work);

    PyThreadState* thread_;
};

// Runs work(lock) with the interpreter lock released, and returns its result
// with the lock held again; what work throws is rethrown once the lock is
// held, so that taking the lock back (which may end the thread during
// finalisation) never happens while another exception unwinds.
template <typename Work>
auto work_without_lock(Work&& work) {
    using Result = decltype(work(std::declval<ReleasedLock&>()));
    std::optional<Result> result;
    std::exception_ptr failure;
    ReleasedLock lock;
    try {
        result.emplace(work(lock));
    } catch (const std::exception&) {  // never the forced unwind (thread_exit.hpp)
        failure = std::current_exception();
    }
    lock.take_back();
    if (failure) std::rethrow_exception(failure);
    return std::move(*result);
}

// Runs fill() without the lock: it writes into new Python objects that no
// other thread can see yet. Should the interpreter end the thread meanwhile,
// the PyRefs that hold them leave them unreleased (py_ref.hpp).
template <typename Fill>
void fill_without_lock(Fill&& fill) {
    work_without_lock([&](ReleasedLock&) {
        fill();
        return true;
    });
}

// Whether Ctrl-C ends the program while this search runs in another thread:
// the main thread ended with KeyboardInterrupt and the interpreter waits for
// the other threads. Then it sets SystemExit, which ends the search's thread
// quietly; a non-daemon thread would otherwise keep the process alive as
// long as its search runs. With the lock held.
bool program_ends_after_interrupt();

// The check the core's InterruptPoll runs: whether a signal handler (Ctrl-C's
// raises KeyboardInterrupt) has asked the call to end, whether Ctrl-C ends the
// program (program_ends_after_interrupt), and, when the caller
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

    // The period counts from the end of the last check, so that a slow
    // callback does not make the next one due at once.
    bool operator()(const tilt_stability::Progress& progress) {
        if (std::chrono::steady_clock::now() - last_ < period) return false;
        const bool stop = lock_.with_lock([&] {
            return PyErr_CheckSignals() != 0 || program_ends_after_interrupt() || !report(progress);
        });
        last_ = std::chrono::steady_clock::now();
        return stop;
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
    // The interpreter makes the arguments: no reference of this frame is left
    // to release should the callback's code end the thread (thread_exit.hpp).
    return static_cast<bool>(
        boundary::PyRef::steal(PyObject_CallFunction(progress_, "LL", static_cast<long long>(progress.done),
                                                     static_cast<long long>(progress.total))));
}

}  // namespace varnolt::walls
