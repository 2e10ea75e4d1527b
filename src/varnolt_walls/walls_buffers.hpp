#pragma once
// The walls of a call as flat buffers of native int64 values (rows and
// offsets: see grouping::WallColumns; and v), which the package reads with the
// native module's wall_objects and numpy.frombuffer (no copy, no NumPy C API).
#include <functional>

#include "boundary/py_ref.hpp"
#include "varnolt_walls/core_calls.hpp"

namespace varnolt::walls {

// (rows, offsets, v). MemoryError when a buffer cannot be allocated.
boundary::PyRef walls_buffers(const FoundWalls& found, const ChernChar<2>& v);

// The rows of a bytes-like object of native int64 values, three per row;
// ValueError when its length is not a whole number of rows. before_copy(rows)
// runs before they are copied (to reserve their memory).
std::vector<grouping::Row> rows_from_buffer(PyObject* object,
                                            const std::function<void(std::size_t rows)>& before_copy);

}  // namespace varnolt::walls
