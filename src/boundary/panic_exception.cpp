#include "boundary/panic_exception.hpp"

#include <pthread.h>
#include <unistd.h>

#include <cstdlib>
#include <string_view>

#include "boundary/py_ref.hpp"

namespace varnolt::boundary {

namespace {

constexpr const char* panic_doc =
    "The exception raised when varnolt's own code stops on an internal failure.\n"
    "\n"
    "Like SystemExit, it derives from BaseException rather than Exception, so that\n"
    "it normally propagates all the way up and ends the interpreter instead of\n"
    "being swallowed by a handler for ordinary errors.";

// The one PanicException of the interpreter, shared by both modules (each
// links its own copy of this code): it lives in a module "pyo3_runtime" in
// sys.modules, which the first module to need it creates. A new reference, or
// null with an exception set. Call with the interpreter lock held.
PyRef panic_exception_type() {
    PyObject* modules = PyImport_GetModuleDict();  // borrowed
    if (PyObject* runtime = PyDict_GetItemString(modules, "pyo3_runtime"))  // borrowed
        return PyRef::steal(PyObject_GetAttrString(runtime, "PanicException"));
    PyRef type = PyRef::steal(PyErr_NewExceptionWithDoc("pyo3_runtime.PanicException", panic_doc,
                                                       PyExc_BaseException, nullptr));
    PyRef runtime = PyRef::steal(PyModule_New("pyo3_runtime"));
    if (!type || !runtime || PyModule_AddObjectRef(runtime.get(), "PanicException", type.get()) < 0 ||
        PyDict_SetItemString(modules, "pyo3_runtime", runtime.get()) < 0)
        return PyRef();
    return type;
}

void write_stderr(std::string_view text) {
    while (!text.empty()) {
        const ssize_t written = ::write(STDERR_FILENO, text.data(), text.size());
        if (written <= 0) return;  // nothing sensible is left to report it to
        text.remove_prefix(static_cast<std::size_t>(written));
    }
}

std::string thread_name() {
    char name[64] = {};
    if (pthread_getname_np(pthread_self(), name, sizeof name) != 0 || name[0] == '\0')
        return "<unnamed>";
    return name;
}

// The source path from its "src/" on, so the diagnostic does not depend on
// where the package was built.
std::string_view source_path(const char* file) {
    const std::string_view path(file);
    const std::size_t at = path.rfind("/src/");
    return at == std::string_view::npos ? path : path.substr(at + 1);
}

}  // namespace

void abort_at_boundary() noexcept {
    write_stderr("uncaught panic at ffi boundary\n");
    std::abort();
}

void raise_panic(const std::string& message, const std::source_location& where) {
    std::string diagnostic = "thread '";
    diagnostic += thread_name();
    diagnostic += "' panicked at ";
    diagnostic += source_path(where.file_name());
    // One piece at a time: GCC 12 at -O3 wrongly warns (-Wrestrict) about
    // "text" + std::string temporaries here.
    diagnostic += ':';
    diagnostic += std::to_string(where.line());
    diagnostic += ':';
    diagnostic += std::to_string(where.column());
    diagnostic += ":\n";
    diagnostic += message;
    diagnostic += '\n';
    write_stderr(diagnostic);
    const PyRef type = panic_exception_type();
    if (!type) abort_at_boundary();
    PyRef text = PyRef::steal(PyUnicode_FromStringAndSize(message.data(),
                                                          static_cast<Py_ssize_t>(message.size())));
    if (!text) abort_at_boundary();
    PyRef exception = PyRef::steal(PyObject_CallFunctionObjArgs(type.get(), text.get(), nullptr));
    if (!exception) abort_at_boundary();
    PyErr_SetRaisedException(exception.release());
}

}  // namespace varnolt::boundary
