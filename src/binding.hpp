#pragma once
// Argument binding for functions called with the fast calling convention with
// keywords: one small engine driven by a description per function. All
// parameters are positional-or-keyword and required.
#include <array>
#include <cstddef>
#include <span>

#include "python.hpp"

namespace varnolt {

struct FunctionDescription {
    const char* name;
    std::span<const char* const> parameters;
};

// Fills slots (borrowed references, one per parameter, in parameter order)
// from the call's arguments, or throws PythonErrorSet with the TypeError that
// says what is wrong.
void bind_arguments(const FunctionDescription& function, PyObject* const* args,
                    Py_ssize_t nargs, PyObject* kwnames, std::span<PyObject*> slots);

template <std::size_t Count>
std::array<PyObject*, Count> bind(const FunctionDescription& function, PyObject* const* args,
                                  Py_ssize_t nargsf, PyObject* kwnames) {
    std::array<PyObject*, Count> slots{};
    bind_arguments(function, args, PyVectorcall_NARGS(nargsf), kwnames, slots);
    return slots;
}

}  // namespace varnolt
