#include "varnolt_walls/released_lock.hpp"

namespace varnolt::walls {

using boundary::PyRef;

namespace {

// The uncaught exception that ended the main script: the interpreter stores
// it as sys.last_exc when it prints it. Borrowed; null when there is none.
PyObject* exception_that_ended_main() { return PySys_GetObject("last_exc"); }

// Whether threading's shutdown has begun: the interpreter waits in it for the
// non-daemon threads (and, first, for concurrent.futures' workers).
bool threads_shutting_down() {
    PyObject* const modules = PySys_GetObject("modules");  // borrowed
    PyObject* const threading =
        modules == nullptr ? nullptr : PyMapping_GetItemString(modules, "threading");
    if (threading == nullptr) {
        PyErr_Clear();
        return false;  // without threading, no thread waits to be joined
    }
    const PyRef module = PyRef::steal(threading);
    const PyRef flag = PyRef::steal(PyObject_GetAttrString(module.get(), "_SHUTTING_DOWN"));
    const bool shutting_down = flag && PyObject_IsTrue(flag.get()) == 1;
    PyErr_Clear();
    return shutting_down;
}

}  // namespace

bool program_ends_after_interrupt() {
    PyObject* const ended_main = exception_that_ended_main();
    if (ended_main == nullptr ||
        PyErr_GivenExceptionMatches(ended_main, PyExc_KeyboardInterrupt) == 0 ||
        !threads_shutting_down())
        return false;
    PyErr_SetNone(PyExc_SystemExit);
    return true;
}

}  // namespace varnolt::walls
