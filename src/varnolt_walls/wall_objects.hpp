#pragma once
// Python objects made from the walls' buffers (see walls_buffers.hpp) only
// when a caller looks at them: Wall and Fraction objects for a range of
// walls, or the columns of a table of all of them.
#include "python.hpp"

namespace varnolt::walls {

// wall_objects(columns, start, stop, wall_type, fraction_type): a list of the
// walls start ... stop − 1 of columns = (rows, offsets, terms), each a
// wall_type with center and radius_squared (fraction_type) and
// semistabilizers (a tuple of (r, c, d) tuples).
PyObject* wall_objects(PyObject* module, PyObject* const* args, Py_ssize_t nargsf, PyObject* kwnames);

// wall_columns(columns, fraction_type): five lists, one entry per wall:
// centers, centers as floats, radii², radii² as floats, semistabilizers.
PyObject* wall_columns(PyObject* module, PyObject* const* args, Py_ssize_t nargsf, PyObject* kwnames);

}  // namespace varnolt::walls
