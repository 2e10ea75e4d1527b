#pragma once
// The one way both modules bind a function: a description per function
// drives the argument binding of each call (the fast calling convention with
// keywords) and yields the function's method-table entry, whose docstring
// starts with the text signature Python reads. All parameters are
// positional-or-keyword; the leading ones are required.
#include <array>
#include <cstddef>
#include <span>
#include <string>

#include "boundary/python.hpp"

namespace varnolt::boundary {

// A function's name and its parameter names in order; the count of names is
// also the count of slots bind fills, so the two cannot disagree.
template <std::size_t Count>
struct FunctionDescription {
    const char* name;
    std::array<const char*, Count> parameters;
    // How many leading parameters a call must give; the slots of the others
    // stay null when a call leaves them out.
    std::size_t required = Count;
    // The defaults of the parameters past the required ones, in order, as the
    // text signature shows them ("None"); the docstring's text after it.
    std::array<const char*, Count> defaults = {};
    const char* doc = "";
};

// "name(a, b, c=None)\n--\n\n" followed by doc: Python shows the first part
// as the function's signature and the rest as its documentation.
std::string documentation(const char* name, std::span<const char* const> parameters,
                          std::size_t required, std::span<const char* const> defaults,
                          const char* doc);

using FastFunction = PyObject* (*)(PyObject*, PyObject* const*, Py_ssize_t, PyObject*);

// The method-table entry of function, as description describes it. Its
// documentation is built on the first call and lives as long as the process.
template <const auto& description, FastFunction function>
PyMethodDef method_entry() {
    static const std::string doc =
        documentation(description.name, description.parameters, description.required,
                      description.defaults, description.doc);
    return {description.name, reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(function)),
            METH_FASTCALL | METH_KEYWORDS, doc.c_str()};
}

// Fills slots (borrowed references, one per parameter, in parameter order)
// from the call's arguments, or throws PythonErrorSet with the TypeError that
// says what is wrong. slots has exactly one entry per parameter; only the
// first `required` must be filled.
void bind_arguments(const char* function_name, std::span<const char* const> parameters,
                    std::size_t required, PyObject* const* args, Py_ssize_t nargs,
                    PyObject* kwnames, std::span<PyObject*> slots);

template <std::size_t Count>
std::array<PyObject*, Count> bind(const FunctionDescription<Count>& function, PyObject* const* args,
                                  Py_ssize_t nargsf, PyObject* kwnames) {
    std::array<PyObject*, Count> slots{};
    bind_arguments(function.name, function.parameters, function.required, args,
                   PyVectorcall_NARGS(nargsf), kwnames, slots);
    return slots;
}

}  // namespace varnolt::boundary
