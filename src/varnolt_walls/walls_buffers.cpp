#include "varnolt_walls/walls_buffers.hpp"

#include <cstdint>
#include <cstring>
#include <span>

#include "varnolt_walls/new_buffer.hpp"
#include "varnolt_walls/released_lock.hpp"

namespace varnolt::walls {

using boundary::PyRef;
using boundary::PythonErrorSet;

using grouping::Row;

PyRef walls_buffers(const FoundWalls& found, const ChernChar<2>& v) {
    const grouping::WallOrder& order = found.order;
    auto [rows, rows_out] = new_buffer<Row>(found.rows.size(), "the rows of the candidates");
    auto [offsets, offsets_out] = new_buffer<std::int64_t>(order.walls() + 1, "the walls' offsets");
    auto [v_buffer, v_out] = new_buffer<Row>(1, "v");
    v_out[0] = {v.r, v.c.coeff, v.d.numerator};
    // No other thread can see the new bytearrays yet: they are filled without the lock.
    fill_without_lock([&] { grouping::write_walls(found.rows, order, {rows_out, offsets_out}); });
    return PyRef::checked(PyTuple_Pack(3, rows.get(), offsets.get(), v_buffer.get()));
}

std::vector<Row> rows_from_buffer(PyObject* object, const std::function<void(std::size_t rows)>& before_copy) {
    Py_buffer view;
    if (PyObject_GetBuffer(object, &view, PyBUF_SIMPLE) != 0) throw PythonErrorSet{};
    struct Release {
        Py_buffer& view;
        ~Release() {
            if (boundary::holds_interpreter_lock()) PyBuffer_Release(&view);
        }
    } release{view};
    if (view.len % static_cast<Py_ssize_t>(sizeof(Row)) != 0) {
        PyErr_SetString(PyExc_ValueError, "argument 'rows' must hold whole rows of three int64 values");
        throw PythonErrorSet{};
    }
    before_copy(static_cast<std::size_t>(view.len) / sizeof(Row));
    std::vector<Row> rows(static_cast<std::size_t>(view.len) / sizeof(Row));
    if (!rows.empty()) std::memcpy(rows.data(), view.buf, static_cast<std::size_t>(view.len));
    return rows;
}

}  // namespace varnolt::walls
