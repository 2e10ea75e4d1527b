// varnolt_walls._native: the core bound a second time, for the varnolt_walls
// package. Unlike varnolt it announces nothing, releases the interpreter lock
// while the core searches and hands candidates over as a flat int64 buffer.
#include "boundary/call_guard.hpp"
#include "boundary/py_ref.hpp"
#include "varnolt_walls/functions.hpp"
#include "varnolt_walls/wall_objects.hpp"

namespace varnolt::walls {

using boundary::PyRef;
using boundary::PythonErrorSet;
using boundary::call_guarded;
using boundary::free_module_parameters;
using boundary::function_cast;
using boundary::method_entry;
using boundary::ModuleParameters;

namespace {

// The entries live for the rest of the process, as the function objects refer
// to them; built on first use, during the module's execution.
PyMethodDef* function_table() {
    static PyMethodDef table[] = {
        method_entry<candidates_description, candidates>(),
        method_entry<count_description, count>(),
        method_entry<walls_description, walls>(),
        method_entry<group_description, group>(),
        method_entry<wall_objects_description, wall_objects>(),
        method_entry<wall_columns_description, wall_columns>(),
        method_entry<numerical_wall_description, numerical_wall>(),
        {nullptr, nullptr, 0, nullptr},
    };
    return table;
}

// The module's execution step: its functions, their parameter names interned,
// and Refused, the exception its searches raise for a request the core
// refuses, with the arguments (kind, (r, c, d), text, detail): the failure
// kind's name, v, varnolt's text and what the package's message needs (see
// tilt_stability::SearchFailure). The package turns it into its own
// exceptions; each module has its own type.
int add_functions(PyObject* module) noexcept {
    const PyRef done = PyRef::steal(call_guarded([&] {
        ModuleParameters::attach(module, ModuleParameters(candidates_description, count_description,
                                                          walls_description, group_description,
                                                          wall_objects_description, wall_columns_description,
                                                          numerical_wall_description));
        if (PyModule_AddFunctions(module, function_table()) < 0) throw PythonErrorSet{};
        const PyRef refused = PyRef::checked(PyErr_NewException("varnolt_walls._native.Refused", nullptr, nullptr));
        if (PyModule_AddObjectRef(module, "Refused", refused.get()) < 0) throw PythonErrorSet{};
        return Py_NewRef(Py_None);
    }));
    return done ? 0 : -1;
}

PyModuleDef_Slot module_slots[] = {
    {Py_mod_exec, function_cast<void*>(add_functions)},
    {0, nullptr},
};

// Multi-phase initialisation: the interpreter creates the module from this
// definition and runs its slots, so each interpreter gets a module of its own.
PyModuleDef module_definition = {
    PyModuleDef_HEAD_INIT,
    "varnolt_walls._native",
    "The search of varnolt's core for the varnolt_walls package.",
    sizeof(ModuleParameters*),
    nullptr,
    module_slots,
    nullptr,
    nullptr,
    free_module_parameters,
};

}  // namespace

}  // namespace varnolt::walls

PyMODINIT_FUNC PyInit__native() {  // PyMODINIT_FUNC declares it extern "C"
    return PyModuleDef_Init(&varnolt::walls::module_definition);
}
