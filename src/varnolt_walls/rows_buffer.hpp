#pragma once
// The candidates as one flat buffer of native int64 values: r, c, d of each
// candidate in turn, 24 bytes per candidate. numpy.frombuffer views it as an
// (N, 3) int64 array without copying, so the module needs no NumPy C API.
#include "boundary/py_ref.hpp"
#include "varnolt_walls/core_calls.hpp"

namespace varnolt::walls {

// A new bytearray holding the rows of runs, in order. MemoryError when it
// cannot be allocated.
boundary::PyRef rows_buffer(const CandidateRuns& runs);

}  // namespace varnolt::walls
