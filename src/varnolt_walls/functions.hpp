#pragma once
// The functions of varnolt_walls._native, with the fast calling convention
// with keywords. The package's Python layer gives them their public
// signatures and documentation.
#include "boundary/binding.hpp"
#include "boundary/python.hpp"

namespace varnolt::walls {

// The parameters of a search: r, c and d by position or keyword, the options
// by keyword only; max_rank is required (None: no bound), progress and p2 may
// be left out.
inline constexpr std::array<const char*, 6> search_parameters{"r", "c", "d", "max_rank", "progress", "p2"};
inline constexpr std::array<const char*, 6> search_defaults{"None", "False"};

inline constexpr boundary::FunctionDescription<6> candidates_description{
    "candidates", search_parameters, 4, search_defaults,
    "The candidates of (r, c, d/2) as a bytearray of native int64 rows (r, c, d);\n"
    "with p2, only those with d = c mod 2 (and v must be such).", 3};
inline constexpr boundary::FunctionDescription<6> count_description{
    "count", search_parameters, 4, search_defaults,
    "The number of candidates of (r, c, d/2), of those with d = c mod 2 with p2.", 3};
inline constexpr boundary::FunctionDescription<6> walls_description{
    "walls", search_parameters, 4, search_defaults,
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
