#pragma once
// The Pell solutions behind the walls on K3 surfaces, for the package's
// k3_walls: the unit of ℤ[√d] and one solution of every orbit of
// X² − d·Y² = k (see k3/fundamental_solutions.hpp).
#include "binding.hpp"
#include "python.hpp"

namespace varnolt::walls {

inline constexpr FunctionDescription<2> pell_solutions_description{
    .name = "pell_solutions",
    .parameters = {"d", "k"},
    .doc = "((x1, y1), ((X, Y), ...)): the least unit x1 + y1·√d of norm 1 and the solutions\n"
           "of X² − d·Y² = k with X > 0, 0 <= Y and 2·d·Y² <= k·(x1 − 1); d > 0 not a square, k > 0."};

PyObject* pell_solutions(PyObject* module, PyObject* const* args, Py_ssize_t nargsf, PyObject* kwnames);

}  // namespace varnolt::walls
