#pragma once
// The search call of pseudo_semistabilizers and the conversion of its outcome:
// a list of (r, c, d) tuples, or the exception of its failure (search_failure.hpp).
#include "chern_character/chern_character.hpp"
#include "boundary/py_ref.hpp"

namespace varnolt {

boundary::PyRef search_and_convert(const chern_character::ChernChar<2>& v);

}  // namespace varnolt
