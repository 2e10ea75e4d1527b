#pragma once
// A new bytearray to hold `count` values of Item, which the package views
// with numpy.frombuffer (no copy, no NumPy C API). MemoryError with its size
// when it is larger than a bytearray can be or cannot be allocated.
#include <cstddef>
#include <span>
#include <string>
#include <utility>

#include "boundary/py_ref.hpp"
#include "varnolt_walls/out_of_memory.hpp"

namespace varnolt::walls {

// The bytearray, and its bytes as count Items. `what` names the contents in
// the message of a MemoryError ("the rows of the candidates").
template <typename Item>
std::pair<boundary::PyRef, std::span<Item>> new_buffer(std::size_t count, std::string_view what) {
    if (count > static_cast<std::size_t>(PY_SSIZE_T_MAX) / sizeof(Item))
        raise_out_of_memory(std::string(what) + " (" + std::to_string(count) + " values of " +
                                std::to_string(sizeof(Item)) + " bytes, more than a bytearray holds)",
                            std::nullopt);
    const std::size_t bytes = count * sizeof(Item);
    boundary::PyRef buffer =
        boundary::PyRef::steal(PyByteArray_FromStringAndSize(nullptr, static_cast<Py_ssize_t>(bytes)));
    if (!buffer) {
        if (PyErr_ExceptionMatches(PyExc_MemoryError) == 0) throw boundary::PythonErrorSet{};
        PyErr_Clear();
        raise_out_of_memory(what, bytes);
    }
    char* const start = PyByteArray_AsString(buffer.get());
    if (start == nullptr) throw boundary::PythonErrorSet{};
    return {std::move(buffer), std::span<Item>(reinterpret_cast<Item*>(start), count)};
}

}  // namespace varnolt::walls
