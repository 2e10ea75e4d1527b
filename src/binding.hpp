#pragma once
// Argument binding for functions called with the fast calling convention with
// keywords: one small engine driven by a description per function. All
// parameters are positional-or-keyword; the leading ones are required.
#include <array>
#include <cstddef>
#include <span>

#include "python.hpp"

namespace varnolt {

// A function's name and its parameter names in order; the count of names is
// also the count of slots bind fills, so the two cannot disagree.
template <std::size_t Count>
struct FunctionDescription {
    const char* name;
    std::array<const char*, Count> parameters;
    // How many leading parameters a call must give; the slots of the others
    // stay null when a call leaves them out.
    std::size_t required = Count;
};

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

}  // namespace varnolt
