#include "boundary/binding.hpp"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "boundary/py_ref.hpp"

namespace varnolt::boundary {

namespace {

[[noreturn]] void raise_type_error(PyRef message) {
    if (message) PyErr_SetObject(PyExc_TypeError, message.get());
    throw PythonErrorSet{};
}

// 'r', 'c', and 'd' / 'c' and 'd' / 'd'
std::string quoted_list(const std::vector<const char*>& names) {
    std::string list;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) {
            if (names.size() > 2) list += ",";
            list += i + 1 == names.size() ? " and " : " ";
        }
        list += '\'';
        list += names[i];
        list += '\'';
    }
    return list;
}

// The index of the parameter a keyword names: by identity with the interned
// names first, then compared byte for byte in UTF-8; -1 when it names none (a
// str that cannot be encoded names none either).
Py_ssize_t parameter_index(std::span<const char* const> parameters, std::span<const PyRef> interned,
                           PyObject* keyword) {
    for (std::size_t i = 0; i < interned.size(); ++i)
        if (interned[i].get() == keyword) return static_cast<Py_ssize_t>(i);
    Py_ssize_t size = 0;
    const char* utf8 = PyUnicode_AsUTF8AndSize(keyword, &size);
    if (utf8 == nullptr) {
        PyErr_Clear();
        return -1;
    }
    const std::string_view key(utf8, static_cast<std::size_t>(size));
    for (std::size_t i = 0; i < parameters.size(); ++i)
        if (key == parameters[i]) return static_cast<Py_ssize_t>(i);
    return -1;
}

const char* plural(std::size_t count) { return count == 1 ? "" : "s"; }

// "f() takes 3 positional arguments but 4 were given", with "from 2 to 3"
// when some positional parameters may be left out, and "4 positional
// arguments (and 1 keyword-only argument) were given" when keyword-only
// arguments came too.
[[noreturn]] void raise_too_many_positional(const char* function_name, std::size_t required,
                                            std::size_t positional, Py_ssize_t given,
                                            std::size_t keyword_only_given) {
    std::string takes = std::to_string(positional);
    if (required < positional) takes = "from " + std::to_string(required) + " to " + takes;
    std::string keyword_only;
    if (keyword_only_given > 0) {
        keyword_only = std::string(" positional argument") + (given == 1 ? "" : "s") + " (and " +
                       std::to_string(keyword_only_given) + " keyword-only argument" +
                       plural(keyword_only_given) + ")";
    }
    raise_type_error(PyRef::steal(PyUnicode_FromFormat(
        "%s() takes %s positional argument%s but %zd%s %s given", function_name, takes.c_str(),
        required < positional ? "s" : plural(positional), given, keyword_only.c_str(),
        given == 1 && keyword_only_given == 0 ? "was" : "were")));
}

// "f() missing 2 required positional arguments: 'c' and 'd'" for the
// parameters first ... end that have no slot filled; nothing when all do.
void check_missing(const char* function_name, std::span<const char* const> parameters,
                   std::span<PyObject* const> slots, std::size_t first, std::size_t end,
                   const char* kind) {
    std::vector<const char*> missing;
    for (std::size_t i = first; i < end; ++i)
        if (slots[i] == nullptr) missing.push_back(parameters[i]);
    if (missing.empty()) return;
    raise_type_error(PyRef::steal(PyUnicode_FromFormat(
        "%s() missing %zd required %s argument%s: %s", function_name,
        static_cast<Py_ssize_t>(missing.size()), kind, plural(missing.size()),
        quoted_list(missing).c_str())));
}

}  // namespace

std::string documentation(const char* name, std::span<const char* const> parameters,
                          std::size_t required, std::size_t positional,
                          std::span<const char* const> defaults, const char* doc) {
    std::string text = name;
    text += '(';
    for (std::size_t i = 0; i < parameters.size(); ++i) {
        if (i > 0) text += ", ";
        if (i == positional) text += "*, ";
        text += parameters[i];
        if (i >= required) {
            text += '=';
            text += defaults[i - required];
        }
    }
    text += ")\n--\n\n";
    text += doc;
    return text;
}

void ModuleParameters::add(const void* description, std::span<const char* const> names) {
    Function& function = functions_.emplace_back(description, std::vector<PyRef>{});
    for (const char* name : names) function.names.push_back(PyRef::checked(PyUnicode_InternFromString(name)));
}

std::span<const PyRef> ModuleParameters::of(PyObject* module, const void* function) {
    auto** state = static_cast<ModuleParameters**>(PyModule_GetState(module));
    if (state == nullptr || *state == nullptr) {
        PyErr_Clear();
        return {};  // keywords are then compared as text
    }
    for (const Function& candidate : (*state)->functions_)
        if (candidate.description == function) return candidate.names;
    return {};
}

void ModuleParameters::attach(PyObject* module, ModuleParameters parameters) {
    auto** state = static_cast<ModuleParameters**>(PyModule_GetState(module));
    if (state == nullptr) throw PythonErrorSet{};
    delete *state;
    *state = new ModuleParameters(std::move(parameters));
}

void free_module_parameters(void* module) {
    auto** state = static_cast<ModuleParameters**>(PyModule_GetState(static_cast<PyObject*>(module)));
    if (state == nullptr) {
        PyErr_Clear();
        return;
    }
    delete *state;
    *state = nullptr;
}

void bind_arguments(const char* function_name, std::span<const char* const> parameters,
                    std::span<const PyRef> interned, std::size_t required, std::size_t positional,
                    PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames,
                    std::span<PyObject*> slots) {
    const Py_ssize_t keywords = kwnames == nullptr ? 0 : PyTuple_Size(kwnames);
    if (nargs > static_cast<Py_ssize_t>(positional)) {
        std::size_t keyword_only_given = 0;
        for (Py_ssize_t i = 0; i < keywords; ++i) {
            PyObject* keyword = PyTuple_GetItem(kwnames, i);  // borrowed
            if (keyword != nullptr && PyUnicode_Check(keyword) &&
                parameter_index(parameters, interned, keyword) >= static_cast<Py_ssize_t>(positional))
                ++keyword_only_given;
        }
        raise_too_many_positional(function_name, std::min(required, positional), positional, nargs,
                                  keyword_only_given);
    }
    for (Py_ssize_t i = 0; i < nargs; ++i) slots[static_cast<std::size_t>(i)] = args[i];

    for (Py_ssize_t i = 0; i < keywords; ++i) {
        PyObject* keyword = PyTuple_GetItem(kwnames, i);  // borrowed
        if (keyword == nullptr) throw PythonErrorSet{};
        if (!PyUnicode_Check(keyword))
            raise_type_error(PyRef::steal(PyUnicode_FromString("keywords must be strings")));
        const Py_ssize_t index = parameter_index(parameters, interned, keyword);
        if (index < 0) {
            raise_type_error(PyRef::steal(PyUnicode_FromFormat(
                "%s() got an unexpected keyword argument '%S'", function_name, keyword)));
        }
        PyObject*& slot = slots[static_cast<std::size_t>(index)];
        if (slot != nullptr) {
            raise_type_error(PyRef::steal(PyUnicode_FromFormat(
                "%s() got multiple values for argument '%S'", function_name, keyword)));
        }
        slot = args[nargs + i];
    }

    check_missing(function_name, parameters, slots, 0, std::min(required, positional), "positional");
    check_missing(function_name, parameters, slots, positional, std::max(required, positional),
                  "keyword-only");
}

}  // namespace varnolt::boundary
