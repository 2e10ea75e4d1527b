#pragma once
// The functions of varnolt_walls._native, with the fast calling convention
// with keywords. The package's Python layer gives them their public
// signatures and documentation.
#include "boundary/binding.hpp"
#include "boundary/python.hpp"

namespace varnolt::walls {

// The parameters of a search: r, c and d by position or keyword, the options
// by keyword only: max_rank (None: no bound), progress, degree (ℓ² = n of the
// surface whose lattice the candidates lie on; 2, the default, is the lattice
// of every integer d), d_denominator (d is d/d_denominator), right (the right
// walls) and above (None, or the point σ(β, α) as four bytes
// objects of int.to_bytes(..., "little", signed=True): β's numerator and
// denominator, α's). A request the core refuses raises
// Refused(kind, (r, c, d), text, detail), see module.cpp. On a surface of
// degree n the rows, and v of walls, are in the coordinates (r, λc, λ²d) of
// the core's lattice_v (tilt_stability/surface/surface.hpp).
inline constexpr std::array<const char*, 9> search_parameters{
    "r", "c", "d", "max_rank", "progress", "degree", "d_denominator", "right", "above"};
inline constexpr std::array<const char*, 9> search_defaults{"None", "None", "2", "1", "False", "None"};

inline constexpr boundary::FunctionDescription<9> candidates_description{
    "candidates", search_parameters, 3, search_defaults,
    "The candidates of (r, c, d/2) as a bytearray of native int64 rows (r, c, d).", 3};
inline constexpr boundary::FunctionDescription<9> count_description{
    "count", search_parameters, 3, search_defaults, "The number of candidates of (r, c, d/2).", 3};
inline constexpr boundary::FunctionDescription<9> walls_description{
    "walls", search_parameters, 3, search_defaults,
    "The candidates of (r, c, d/2) grouped by wall, largest first: (rows, offsets, v) buffers.", 3};
inline constexpr boundary::FunctionDescription<5> group_description{
    "group", {"r", "c", "d", "rows", "progress"}, 4, {"None"},
    "The given int64 rows grouped by their wall against (r, c, d/2), as walls() returns them.", 4};

PyObject* candidates(PyObject* module, PyObject* const* args, Py_ssize_t nargsf, PyObject* kwnames);
PyObject* count(PyObject* module, PyObject* const* args, Py_ssize_t nargsf, PyObject* kwnames);
// The walls of the candidates of a search, and of given candidate rows: see
// walls_buffers.hpp for what they return.
PyObject* walls(PyObject* module, PyObject* const* args, Py_ssize_t nargsf, PyObject* kwnames);
PyObject* group(PyObject* module, PyObject* const* args, Py_ssize_t nargsf, PyObject* kwnames);

}  // namespace varnolt::walls
