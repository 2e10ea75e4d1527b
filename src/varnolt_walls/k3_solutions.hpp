#pragma once
// The continued fractions behind the walls on K3 surfaces, for the package's
// k3_walls: those that solve X² − d·Y² = k (see k3/pell_expansions.hpp).
#include "boundary/binding.hpp"
#include "boundary/python.hpp"

namespace varnolt::walls {

inline constexpr boundary::FunctionDescription<2> pell_expansions_description{
    .name = "pell_expansions",
    .parameters = {"d", "k"},
    .doc = "((f, z, (a_0, ..., a_{i-1})), ...): for each f with f² | k and z² ≡ d (mod k/f²),\n"
           "-k/f²/2 < z <= k/f²/2, the partial quotients of (z + √d)/(k/f²) up to the first\n"
           "complete quotient with Q_i = ±1 (i >= 1), if one comes; d > 0 not a square, k > 0."};

PyObject* pell_expansions(PyObject* module, PyObject* const* args, Py_ssize_t nargsf, PyObject* kwnames);

}  // namespace varnolt::walls
