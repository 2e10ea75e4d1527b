#pragma once
// The functions of varnolt_walls._native, with the fast calling convention
// with keywords. The package's Python layer gives them their public
// signatures and documentation.
#include "python.hpp"

namespace varnolt::walls {

PyObject* candidates(PyObject* module, PyObject* const* args, Py_ssize_t nargsf, PyObject* kwnames);
PyObject* count(PyObject* module, PyObject* const* args, Py_ssize_t nargsf, PyObject* kwnames);
// The walls of the candidates of a search, and of given candidate rows: see
// walls_buffers.hpp for what they return.
PyObject* walls(PyObject* module, PyObject* const* args, Py_ssize_t nargsf, PyObject* kwnames);
PyObject* group(PyObject* module, PyObject* const* args, Py_ssize_t nargsf, PyObject* kwnames);

}  // namespace varnolt::walls
