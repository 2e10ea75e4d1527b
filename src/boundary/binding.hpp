#pragma once
// The one way both modules bind a function: a description per function
// drives the argument binding of each call (the fast calling convention with
// keywords) and yields the function's method-table entry, whose docstring
// starts with the text signature Python reads. The leading `positional`
// parameters are positional-or-keyword, the rest keyword-only; the leading
// `required` ones must be given.
#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "boundary/py_ref.hpp"
#include "boundary/python.hpp"

namespace varnolt::boundary {

// A function's name and its parameter names in order; the count of names is
// also the count of slots bind fills, so the two cannot disagree.
template <std::size_t Count>
struct FunctionDescription {
    const char* name;
    std::array<const char*, Count> parameters;
    // How many leading parameters a call must give; the slots of the others
    // stay null when a call leaves them out.
    std::size_t required = Count;
    // The defaults of the parameters past the required ones, in order, as the
    // text signature shows them ("None"); the docstring's text after it.
    std::array<const char*, Count> defaults = {};
    const char* doc = "";
    // How many leading parameters a call may give by position; the others
    // only by keyword.
    std::size_t positional = Count;
};

// "name(a, b, *, c=None)\n--\n\n" followed by doc: Python shows the first
// part as the function's signature and the rest as its documentation.
std::string documentation(const char* name, std::span<const char* const> parameters,
                          std::size_t required, std::size_t positional,
                          std::span<const char* const> defaults, const char* doc);

using FastFunction = PyObject* (*)(PyObject*, PyObject* const*, Py_ssize_t, PyObject*);

// The C API keeps functions of several signatures in fields of one type (a
// method entry's PyCFunction, a slot's void*): every such cast goes through
// here, by way of a generic function pointer.
template <typename To, typename Function>
To function_cast(Function* function) {
    return reinterpret_cast<To>(reinterpret_cast<void (*)()>(function));
}

// The method-table entry of function, as description describes it. Its
// documentation is built on the first call and lives as long as the process.
template <const auto& description, FastFunction function>
PyMethodDef method_entry() {
    static const std::string doc =
        documentation(description.name, description.parameters, description.required,
                      description.positional, description.defaults, description.doc);
    return {description.name, function_cast<PyCFunction>(function), METH_FASTCALL | METH_KEYWORDS,
            doc.c_str()};
}

// The parameter names of a module's functions as interned str objects, made
// once when the module executes and held in the module's state. A call's
// keywords are interned too as a rule (the compiler interns the names in
// code), so they are matched by identity; only a keyword that matches none
// that way is compared as text.
class ModuleParameters {
public:
    // Interns the names of the given functions' parameters; throws
    // PythonErrorSet when that fails.
    template <std::size_t... Counts>
    explicit ModuleParameters(const FunctionDescription<Counts>&... functions) {
        (add(&functions, functions.parameters), ...);
    }

    // Makes them the state of module, whose definition has m_size
    // sizeof(ModuleParameters*) and m_free free_module_parameters.
    static void attach(PyObject* module, ModuleParameters parameters);

    // The interned names of the parameters of function, one of those given
    // to module's; none (keywords are then compared as text) otherwise.
    static std::span<const PyRef> of(PyObject* module, const void* function);

private:
    struct Function {
        const void* description;
        std::vector<PyRef> names;
    };
    void add(const void* description, std::span<const char* const> names);
    std::vector<Function> functions_;
};

// The m_free of a module whose state is its ModuleParameters.
void free_module_parameters(void* module);

// Fills slots (borrowed references, one per parameter, in parameter order)
// from the call's arguments, or throws PythonErrorSet with the TypeError that
// says what is wrong, worded as CPython words it. slots has exactly one entry
// per parameter; only the first `required` must be filled. interned holds the
// parameter names as interned str objects.
void bind_arguments(const char* function_name, std::span<const char* const> parameters,
                    std::span<const PyRef> interned, std::size_t required, std::size_t positional,
                    PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames,
                    std::span<PyObject*> slots);

// The arguments of a call of function, a function of module.
template <std::size_t Count>
std::array<PyObject*, Count> bind(const FunctionDescription<Count>& function, PyObject* module,
                                  PyObject* const* args, Py_ssize_t nargsf, PyObject* kwnames) {
    std::array<PyObject*, Count> slots{};
    bind_arguments(function.name, function.parameters, ModuleParameters::of(module, &function),
                   function.required, function.positional, args, PyVectorcall_NARGS(nargsf), kwnames,
                   slots);
    return slots;
}

}  // namespace varnolt::boundary
