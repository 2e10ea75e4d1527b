#pragma once
// The search call of pseudo_semistabilizers and the conversion of its outcome:
// the driver's find_all (tilt_stability/left_pseudo_semistabilizers) gives a
// list of (r, c, d) tuples, or RuntimeError with its message (OverflowError
// for a value beyond 64 bits, MemoryError beyond the memory budget).
#include "chern_character/chern_character.hpp"
#include "boundary/py_ref.hpp"

namespace varnolt {

boundary::PyRef search_and_convert(const chern_character::ChernChar<2>& v);

}  // namespace varnolt
