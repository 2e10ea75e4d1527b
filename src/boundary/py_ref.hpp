#pragma once
// Owning handle for a Python reference, and the exception that says "a Python
// exception is set, unwind to the boundary". Every new reference the module
// makes lives in a PyRef, so no path can leak one.
#include <exception>
#include <utility>

#include "boundary/python.hpp"

namespace varnolt::boundary {

// Thrown after a C API call failed; the Python error indicator is set. A
// std::exception like every exception the modules throw, so that the call
// boundary can catch them all by that one type (thread_exit.hpp).
struct PythonErrorSet : std::exception {
    const char* what() const noexcept override { return "a Python exception is set"; }
};

// Whether this thread holds the interpreter lock, as it does wherever the
// modules touch Python objects; false only while the interpreter ends the
// thread during finalisation and its frames unwind (thread_exit.hpp). Then
// nothing may be released: it needs the lock, and the interpreter may have
// freed its state. PyThreadState_GetDict is null exactly when the thread has
// no current thread state (the stable ABI's one test of that; it makes the
// thread's dict on the first call with the lock: see call_guarded).
inline bool holds_interpreter_lock() noexcept { return PyThreadState_GetDict() != nullptr; }

// Releases its reference with the lock held; on a thread that the interpreter
// ends (holds_interpreter_lock() false) it leaves it, as the interpreter
// leaves the references of its own frames then. So a PyRef may live across a
// release of the lock (ReleasedLock) like any other value.
class PyRef {
public:
    PyRef() = default;
    // Takes over a new reference (may be null).
    static PyRef steal(PyObject* object) { return PyRef(object); }
    // Takes over a new reference; throws PythonErrorSet when the call that made
    // it failed (returned null).
    static PyRef checked(PyObject* object) {
        if (object == nullptr) throw PythonErrorSet{};
        return PyRef(object);
    }
    static PyRef borrow(PyObject* object) {
        Py_XINCREF(object);
        return PyRef(object);
    }

    PyRef(const PyRef&) = delete;
    PyRef& operator=(const PyRef&) = delete;
    PyRef(PyRef&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    PyRef& operator=(PyRef&& other) noexcept {
        if (this != &other) {
            drop();
            object_ = std::exchange(other.object_, nullptr);
        }
        return *this;
    }
    ~PyRef() { drop(); }

    PyObject* get() const noexcept { return object_; }
    // Hands the reference to the caller.
    PyObject* release() noexcept { return std::exchange(object_, nullptr); }
    explicit operator bool() const noexcept { return object_ != nullptr; }

private:
    explicit PyRef(PyObject* object) : object_(object) {}
    void drop() noexcept {
        if (object_ != nullptr && holds_interpreter_lock()) Py_DECREF(object_);
    }
    PyObject* object_ = nullptr;
};

}  // namespace varnolt::boundary
