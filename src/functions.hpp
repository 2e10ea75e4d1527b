#pragma once
// The module's three functions, with the fast calling convention with keywords.
#include "python.hpp"

namespace varnolt {

PyObject* sum_as_string(PyObject* module, PyObject* const* args, Py_ssize_t nargsf,
                        PyObject* kwnames);
PyObject* bogomolov_form(PyObject* module, PyObject* const* args, Py_ssize_t nargsf,
                         PyObject* kwnames);
PyObject* pseudo_semistabilizers(PyObject* module, PyObject* const* args, Py_ssize_t nargsf,
                                 PyObject* kwnames);

}  // namespace varnolt
