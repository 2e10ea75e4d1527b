// varnolt_walls._native: the core bound a second time, for the varnolt_walls
// package. Unlike varnolt it announces nothing, releases the interpreter lock
// while the core searches and hands candidates over as a flat int64 buffer.
#include "call_guard.hpp"
#include "py_ref.hpp"
#include "varnolt_walls/functions.hpp"
#include "varnolt_walls/wall_objects.hpp"

namespace varnolt::walls {

namespace {

template <auto function>
PyCFunction fast_call() {
    return reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(function));
}

PyMethodDef function_table[] = {
    {"candidates", fast_call<candidates>(), METH_FASTCALL | METH_KEYWORDS,
     "candidates(r, c, d, max_rank, progress=None, p2=False)\n--\n\n"
     "The candidates of (r, c, d/2) as a bytearray of native int64 rows (r, c, d);\n"
     "with p2, only those with d = c mod 2 (and v must be such)."},
    {"count", fast_call<count>(), METH_FASTCALL | METH_KEYWORDS,
     "count(r, c, d, max_rank, progress=None, p2=False)\n--\n\n"
     "The number of candidates of (r, c, d/2), of those with d = c mod 2 with p2."},
    {"walls", fast_call<walls>(), METH_FASTCALL | METH_KEYWORDS,
     "walls(r, c, d, max_rank, progress=None, p2=False)\n--\n\n"
     "The candidates of (r, c, d/2) grouped by wall, largest first: (rows, offsets, terms) buffers."},
    {"group", fast_call<group>(), METH_FASTCALL | METH_KEYWORDS,
     "group(r, c, d, rows, progress=None)\n--\n\n"
     "The given int64 rows grouped by their wall against (r, c, d/2), as walls() returns them."},
    {"wall_objects", fast_call<wall_objects>(), METH_FASTCALL | METH_KEYWORDS,
     "wall_objects(columns, start, stop, wall_type, fraction_type)\n--\n\n"
     "The Wall objects of walls start ... stop - 1 of the buffers of walls()."},
    {"wall_columns", fast_call<wall_columns>(), METH_FASTCALL | METH_KEYWORDS,
     "wall_columns(columns, fraction_type)\n--\n\n"
     "Centers, their floats, radii², their floats and semistabilizers of every wall, as five lists."},
    {nullptr, nullptr, 0, nullptr},
};

PyModuleDef module_definition = {
    PyModuleDef_HEAD_INIT,
    "varnolt_walls._native",
    "The search of varnolt's core for the varnolt_walls package.",
    0,
    function_table,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
};

PyObject* initialise() { return PyRef::checked(PyModule_Create(&module_definition)).release(); }

}  // namespace

}  // namespace varnolt::walls

extern "C" PyMODINIT_FUNC PyInit__native() {
    return varnolt::call_guarded(varnolt::walls::initialise);
}
