// The varnolt extension module: its definition, initialisation and the body
// that registers the three functions.
#include <atomic>
#include <cstdint>
#include <span>

#include "boundary/call_guard.hpp"
#include "functions.hpp"
#include "boundary/py_ref.hpp"
#include "primitives/stop.hpp"

namespace varnolt {

using boundary::PyRef;
using boundary::PythonErrorSet;
using boundary::free_module_parameters;
using boundary::method_entry;
using boundary::ModuleParameters;

namespace {

PyModuleDef module_definition = {
    PyModuleDef_HEAD_INIT,
    "varnolt",
    "Exact enumeration of the candidate left pseudo-semistabilizers of Chern characters "
    "on surfaces of Picard rank one.",
    sizeof(ModuleParameters*),
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    free_module_parameters,
};

// The interpreter that initialised the module (-1: none yet) and the module
// itself: it is created once per process and handed out again on re-import.
std::atomic<std::int64_t> recorded_interpreter{-1};
PyObject* module_cell = nullptr;

// The entries live for the rest of the process, as the function objects refer
// to them; built on first use, during the module's initialisation.
std::span<PyMethodDef> function_table() {
    static PyMethodDef table[] = {
        method_entry<sum_as_string_description, sum_as_string>(),
        method_entry<bogomolov_form_description, bogomolov_form>(),
        method_entry<pseudo_semistabilizers_description, pseudo_semistabilizers>(),
    };
    return table;
}

// The module's "__all__", created as an empty list when the module has none.
PyRef all_list(PyObject* module) {
    PyRef all = PyRef::steal(PyObject_GetAttrString(module, "__all__"));
    if (all) {
        if (!PyList_Check(all.get())) {
            PyErr_SetString(PyExc_TypeError, "`__all__` must be a list");
            throw PythonErrorSet{};
        }
        return all;
    }
    if (!PyErr_ExceptionMatches(PyExc_AttributeError)) throw PythonErrorSet{};
    PyErr_Clear();
    all = PyRef::checked(PyList_New(0));
    if (PyObject_SetAttrString(module, "__all__", all.get()) < 0) throw PythonErrorSet{};
    return all;
}

void add_function(PyObject* module, PyMethodDef& definition) {
    PyRef module_name = PyRef::checked(PyModule_GetNameObject(module));
    PyRef function = PyRef::checked(PyCMethod_New(&definition, module, module_name.get(), nullptr));
    PyRef name = PyRef::checked(PyObject_GetAttrString(function.get(), "__name__"));
    if (!PyUnicode_Check(name.get())) {
        PyErr_SetString(PyExc_TypeError, "__name__ must be a str");
        throw PythonErrorSet{};
    }
    PyRef all = all_list(module);
    if (PyList_Append(all.get(), name.get()) < 0) {
        PyErr_Clear();
        primitives::stop("could not append __name__ to __all__");
    }
    if (PyObject_SetAttr(module, name.get(), function.get()) < 0) throw PythonErrorSet{};
}

PyObject* initialise() {
    PyInterpreterState* interpreter = PyInterpreterState_Get();
    const std::int64_t id = PyInterpreterState_GetID(interpreter);
    if (id == -1) {
        if (!PyErr_Occurred())
            PyErr_SetString(PyExc_SystemError, "attempted to fetch exception but none was set");
        throw PythonErrorSet{};
    }
    std::int64_t expected = -1;
    if (!recorded_interpreter.compare_exchange_strong(expected, id) && expected != id) {
        PyErr_SetString(PyExc_ImportError,
                        "varnolt does not yet support subinterpreters: it can be imported "
                        "only once per process, in one interpreter");
        throw PythonErrorSet{};
    }
    if (module_cell != nullptr) return PyRef::borrow(module_cell).release();

    PyRef module = PyRef::checked(PyModule_Create(&module_definition));
    ModuleParameters::attach(module.get(), ModuleParameters(sum_as_string_description, bogomolov_form_description,
                                                            pseudo_semistabilizers_description));
    for (PyMethodDef& definition : function_table()) add_function(module.get(), definition);
    module_cell = PyRef::borrow(module.get()).release();  // the cell keeps its own reference
    return module.release();
}

}  // namespace

}  // namespace varnolt

PyMODINIT_FUNC PyInit_varnolt() {  // PyMODINIT_FUNC declares it extern "C"
    return varnolt::boundary::call_guarded(varnolt::initialise);
}
