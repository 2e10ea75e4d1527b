#pragma once
// Python objects made from the walls' buffers (see walls_buffers.hpp) only
// when a caller looks at them: Wall and Fraction objects for a range of
// walls, or the columns of a table of all of them.
#include "boundary/binding.hpp"
#include "boundary/python.hpp"

namespace varnolt::walls {

// wall_objects(columns, start, stop, wall_type, fraction_type, v, side): a
// list of the walls start ... stop − 1 of columns = (rows, offsets, v), each
// a wall_type with center and radius_squared (fraction_type, in lowest terms,
// worked out from the wall's first candidate and v), semistabilizers (a tuple
// of (r, c, d) tuples), and v and side: the objects given, shared by every
// wall, so that what a wall knows of its search costs two references.
PyObject* wall_objects(PyObject* module, PyObject* const* args, Py_ssize_t nargsf, PyObject* kwnames);
inline constexpr boundary::FunctionDescription<7> wall_objects_description{
    .name = "wall_objects",
    .parameters = {"columns", "start", "stop", "wall_type", "fraction_type", "v", "side"},
    .doc = "The Wall objects of walls start ... stop - 1 of the buffers of walls()."};

// wall_columns(columns, fraction_type): five lists, one entry per wall:
// centers, centers as floats, radii², radii² as floats, semistabilizers.
PyObject* wall_columns(PyObject* module, PyObject* const* args, Py_ssize_t nargsf, PyObject* kwnames);
inline constexpr boundary::FunctionDescription<2> wall_columns_description{
    .name = "wall_columns",
    .parameters = {"columns", "fraction_type"},
    .doc = "Centers, their floats, radii², their floats and semistabilizers of every wall, as five lists."};

// numerical_wall(R, C, D, r, c, d, fraction_type): (center, radius²) of the
// wall of u = (r, c, d/2) against v = (R, C, D/2), fraction_type in lowest
// terms. ValueError when the two give no wall.
PyObject* numerical_wall(PyObject* module, PyObject* const* args, Py_ssize_t nargsf, PyObject* kwnames);
inline constexpr boundary::FunctionDescription<7> numerical_wall_description{
    .name = "numerical_wall",
    .parameters = {"R", "C", "D", "r", "c", "d", "fraction_type"},
    .doc = "(center, radius²) of the numerical wall of (r, c, d/2) against (R, C, D/2), exact."};

}  // namespace varnolt::walls
