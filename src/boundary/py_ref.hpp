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
            Py_XDECREF(object_);
            object_ = std::exchange(other.object_, nullptr);
        }
        return *this;
    }
    ~PyRef() { Py_XDECREF(object_); }

    PyObject* get() const noexcept { return object_; }
    // Hands the reference to the caller.
    PyObject* release() noexcept { return std::exchange(object_, nullptr); }
    explicit operator bool() const noexcept { return object_ != nullptr; }

private:
    explicit PyRef(PyObject* object) : object_(object) {}
    PyObject* object_ = nullptr;
};

}  // namespace varnolt::boundary
