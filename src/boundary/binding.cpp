#include "boundary/binding.hpp"

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

// The index of the parameter a keyword names, compared byte for byte in UTF-8;
// -1 when it names none (a str that cannot be encoded names none either).
Py_ssize_t parameter_index(std::span<const char* const> parameters, PyObject* keyword) {
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

}  // namespace

std::string documentation(const char* name, std::span<const char* const> parameters,
                          std::size_t required, std::span<const char* const> defaults,
                          const char* doc) {
    std::string text = name;
    text += '(';
    for (std::size_t i = 0; i < parameters.size(); ++i) {
        if (i > 0) text += ", ";
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

void bind_arguments(const char* function_name, std::span<const char* const> parameters,
                    std::size_t required, PyObject* const* args, Py_ssize_t nargs,
                    PyObject* kwnames, std::span<PyObject*> slots) {
    const auto count = static_cast<Py_ssize_t>(parameters.size());
    if (nargs > count) {
        raise_type_error(PyRef::steal(PyUnicode_FromFormat(
            "%s() takes %zd positional arguments but %zd were given", function_name, count,
            nargs)));
    }
    for (Py_ssize_t i = 0; i < nargs; ++i) slots[static_cast<std::size_t>(i)] = args[i];

    const Py_ssize_t keywords = kwnames == nullptr ? 0 : PyTuple_Size(kwnames);
    for (Py_ssize_t i = 0; i < keywords; ++i) {
        PyObject* keyword = PyTuple_GetItem(kwnames, i);  // borrowed
        if (keyword == nullptr) throw PythonErrorSet{};
        if (!PyUnicode_Check(keyword))
            raise_type_error(PyRef::steal(PyUnicode_FromString("keywords must be strings")));
        const Py_ssize_t index = parameter_index(parameters, keyword);
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

    std::vector<const char*> missing;
    for (std::size_t i = 0; i < required; ++i)
        if (slots[i] == nullptr) missing.push_back(parameters[i]);
    if (!missing.empty()) {
        raise_type_error(PyRef::steal(PyUnicode_FromFormat(
            "%s() missing %zd required positional %s: %s", function_name,
            static_cast<Py_ssize_t>(missing.size()),
            missing.size() == 1 ? "argument" : "arguments", quoted_list(missing).c_str())));
    }
}

}  // namespace varnolt::boundary
