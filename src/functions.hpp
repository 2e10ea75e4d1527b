#pragma once
// The module's three functions, with the fast calling convention with
// keywords, and their descriptions.
#include "boundary/binding.hpp"
#include "boundary/python.hpp"

namespace varnolt {

inline constexpr boundary::FunctionDescription<2> sum_as_string_description{
    .name = "sum_as_string", .parameters = {"a", "b"}, .doc = "Formats the sum of two numbers as string."};
inline constexpr boundary::FunctionDescription<3> bogomolov_form_description{"bogomolov_form",
                                                                             {"r", "c", "d"}};
inline constexpr boundary::FunctionDescription<3> pseudo_semistabilizers_description{
    "pseudo_semistabilizers", {"r", "c", "d"}};

PyObject* sum_as_string(PyObject* module, PyObject* const* args, Py_ssize_t nargsf,
                        PyObject* kwnames);
PyObject* bogomolov_form(PyObject* module, PyObject* const* args, Py_ssize_t nargsf,
                         PyObject* kwnames);
PyObject* pseudo_semistabilizers(PyObject* module, PyObject* const* args, Py_ssize_t nargsf,
                                 PyObject* kwnames);

}  // namespace varnolt
