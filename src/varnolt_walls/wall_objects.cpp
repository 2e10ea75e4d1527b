#include "varnolt_walls/wall_objects.hpp"

#include <cstdint>
#include <cstring>
#include <span>
#include <variant>

#include "boundary/binding.hpp"
#include "boundary/conversions.hpp"
#include "boundary/py_ref.hpp"
#include "tilt_stability/walls/wall.hpp"
#include "varnolt_walls/out_of_memory.hpp"

namespace varnolt::walls {

using boundary::PyRef;
using boundary::PythonErrorSet;
using boundary::bind;
using boundary::int_from;
using boundary::to_int64;

namespace {

namespace core = tilt_stability::walls;

// A read-only view of a buffer of int64 values, released with the view.
class Int64View {
public:
    explicit Int64View(PyObject* object) {
        if (PyObject_GetBuffer(object, &view_, PyBUF_SIMPLE) != 0) throw PythonErrorSet{};
        values_ = {static_cast<const std::int64_t*>(view_.buf),
                   static_cast<std::size_t>(view_.len) / sizeof(std::int64_t)};
    }
    ~Int64View() {
        if (boundary::holds_interpreter_lock()) PyBuffer_Release(&view_);
    }
    Int64View(const Int64View&) = delete;
    Int64View& operator=(const Int64View&) = delete;

    // Value i; ValueError when the buffer is too short (columns that do not belong together).
    std::int64_t operator[](std::size_t i) const {
        if (i >= values_.size()) {
            PyErr_SetString(PyExc_ValueError, "wall columns of different lengths");
            throw PythonErrorSet{};
        }
        return values_[i];
    }
    std::size_t size() const { return values_.size(); }

private:
    Py_buffer view_{};
    std::span<const std::int64_t> values_;
};

// The three buffers of walls(): rows, offsets and v.
struct WallColumns {
    Int64View rows;
    Int64View offsets;
    Int64View v;

    std::size_t walls() const { return offsets.size() == 0 ? 0 : offsets.size() - 1; }
};

WallColumns columns_of(PyObject* columns) {
    if (!PyTuple_Check(columns) || PyTuple_Size(columns) != 3) {
        PyErr_SetString(PyExc_TypeError, "argument 'columns' must be the tuple (rows, offsets, v)");
        throw PythonErrorSet{};
    }
    return {Int64View(PyTuple_GetItem(columns, 0)), Int64View(PyTuple_GetItem(columns, 1)),
            Int64View(PyTuple_GetItem(columns, 2))};
}

// The center and radius² of a wall in lowest terms, worked out from its first
// candidate as the grouping did (a few products, a gcd or two) rather than
// stored: the grouping writes no values at all, and only walls looked at pay.
core::ExactKey wall_key(const WallColumns& columns, std::size_t wall) {
    const auto row = static_cast<std::size_t>(columns.offsets[wall]);
    const core::Row v{columns.v[0], columns.v[1], columns.v[2]};
    const core::Row u{columns.rows[3 * row], columns.rows[3 * row + 1], columns.rows[3 * row + 2]};
    try {
        return core::lowest_terms(core::exact_wall(v, u));
    } catch (const core::NoWall&) {
        PyErr_SetString(PyExc_ValueError, "wall columns that the grouping did not make");
        throw PythonErrorSet{};
    }
}

// One slot of a class's instances, found once per call in the class's own
// members (its __slots__): its value is stored at the member's offset in an
// instance just made, whose slots are all empty, taking over the reference.
// That is what the slot's descriptor does to an empty slot, without its call
// and reference counting per value, past the class's own __setattr__ (Wall
// is a frozen dataclass) and the attribute lookup of each set.
class Slot {
public:
    Slot(PyObject* type, const char* name) {
        if (!PyType_Check(type)) {
            PyErr_SetString(PyExc_TypeError, "wall_type and fraction_type must be classes");
            throw PythonErrorSet{};
        }
        const auto* member = static_cast<const PyMemberDef*>(
            PyType_GetSlot(reinterpret_cast<PyTypeObject*>(type), Py_tp_members));
        while (member != nullptr && member->name != nullptr && std::strcmp(member->name, name) != 0) ++member;
        const PyRef size = PyRef::checked(PyObject_GetAttrString(type, "__basicsize__"));
        const Py_ssize_t basic_size = PyLong_AsSsize_t(size.get());
        if (member == nullptr || member->name == nullptr || member->type != Py_T_OBJECT_EX ||
            (member->flags & Py_READONLY) != 0 || member->offset < static_cast<Py_ssize_t>(sizeof(PyObject)) ||
            member->offset > basic_size - static_cast<Py_ssize_t>(sizeof(PyObject*))) {
            PyErr_Format(PyExc_TypeError, "%s is not a slot of its class", name);
            throw PythonErrorSet{};
        }
        offset_ = static_cast<std::size_t>(member->offset);
    }

    // Sets the slot of fresh, an instance made by new_instance, to value.
    void operator()(PyObject* fresh, PyRef value) const {
        PyObject*& slot = *reinterpret_cast<PyObject**>(reinterpret_cast<char*>(fresh) + offset_);
        slot = value.release();
    }

private:
    std::size_t offset_ = 0;
};

// A new, empty instance of type (a class with __slots__), from its allocator:
// no __init__ runs. It is not tracked by the cycle collector: a Wall holds
// two Fractions, a tuple of tuples of ints, its v (a frozen ChernCharacter of
// ints, a Fraction and a frozen Surface) and its side (a str), a Fraction two
// ints, and neither is ever changed, so neither can be part of a cycle (as
// CPython untracks a tuple of atoms). A million walls made and dropped then
// cost no collections.
PyRef new_instance(PyObject* type) {
    if (!PyType_Check(type)) {
        PyErr_SetString(PyExc_TypeError, "wall_type and fraction_type must be classes");
        throw PythonErrorSet{};
    }
    const auto alloc = reinterpret_cast<allocfunc>(PyType_GetSlot(reinterpret_cast<PyTypeObject*>(type), Py_tp_alloc));
    PyRef made = PyRef::checked(alloc(reinterpret_cast<PyTypeObject*>(type), 0));
    if (PyObject_GC_IsTracked(made.get()) != 0) PyObject_GC_UnTrack(made.get());
    return made;
}

// What makes the objects of one call: Fractions in lowest terms are made as
// Fraction._from_coprime_ints makes them, without the constructor's gcd.
struct FractionMaker {
    PyObject* type;
    Slot numerator{type, "_numerator"};
    Slot denominator{type, "_denominator"};

    template <typename T>
    PyRef operator()(const ratio::BasicRatio<T>& value) const {
        PyRef made = new_instance(type);
        numerator(made.get(), int_from(value.numer));
        denominator(made.get(), int_from(value.denom));
        return made;
    }
};

struct WallMaker {
    PyObject* type;
    FractionMaker fraction;
    // What every wall of the call knows of its search: the same two objects.
    PyRef v;
    PyRef side;
    Slot center{type, "center"};
    Slot radius_squared{type, "radius_squared"};
    Slot semistabilizers{type, "semistabilizers"};
    Slot v_slot{type, "v"};
    Slot side_slot{type, "side"};
};

// A tuple of ints, untracked by the cycle collector at once (it would be at
// its first collection).
PyRef row_tuple(const WallColumns& columns, std::size_t row) {
    PyRef tuple = PyRef::checked(PyTuple_New(3));
    for (std::size_t k = 0; k < 3; ++k)
        PyTuple_SetItem(tuple.get(), static_cast<Py_ssize_t>(k), int_from(columns.rows[3 * row + k]).release());
    PyObject_GC_UnTrack(tuple.get());
    return tuple;
}

PyRef semistabilizers(const WallColumns& columns, std::size_t wall) {
    const auto first = static_cast<std::size_t>(columns.offsets[wall]);
    const auto last = static_cast<std::size_t>(columns.offsets[wall + 1]);
    PyRef rows = PyRef::checked(PyTuple_New(static_cast<Py_ssize_t>(last - first)));
    for (std::size_t row = first; row < last; ++row)
        PyTuple_SetItem(rows.get(), static_cast<Py_ssize_t>(row - first), row_tuple(columns, row).release());
    PyObject_GC_UnTrack(rows.get());
    return rows;
}

PyRef wall_object(const WallColumns& columns, std::size_t wall, const WallMaker& maker) {
    PyRef made = new_instance(maker.type);
    std::visit([&](const auto& key) {
        maker.center(made.get(), maker.fraction(key.center));
        maker.radius_squared(made.get(), maker.fraction(key.radius_squared));
    }, wall_key(columns, wall));
    maker.semistabilizers(made.get(), semistabilizers(columns, wall));
    maker.v_slot(made.get(), PyRef::borrow(maker.v.get()));
    maker.side_slot(made.get(), PyRef::borrow(maker.side.get()));
    return made;
}

std::size_t index_argument(PyObject* object, const char* name, std::size_t limit) {
    const std::int64_t value = to_int64(object, name);
    if (value < 0 || static_cast<std::uint64_t>(value) > limit) {
        PyErr_Format(PyExc_IndexError, "%s out of range", name);
        throw PythonErrorSet{};
    }
    return static_cast<std::size_t>(value);
}

// numer / denom correctly rounded, as Python's int division gives it.
template <typename T>
PyRef quotient(const ratio::BasicRatio<T>& value) {
    return PyRef::checked(PyNumber_TrueDivide(int_from(value.numer).get(), int_from(value.denom).get()));
}

core::Row row_argument(PyObject* const* slots) {
    static constexpr const char* names[] = {"r", "c", "d"};
    core::Row row;
    for (std::size_t k = 0; k < 3; ++k) row[k] = to_int64(slots[k], names[k]);
    return row;
}

}  // namespace

PyObject* numerical_wall(PyObject* module, PyObject* const* args, Py_ssize_t nargsf, PyObject* kwnames) {
    return walls_guarded([&] {
        const auto slots = bind(numerical_wall_description, module, args, nargsf, kwnames);
        const core::Row v = row_argument(&slots[0]), u = row_argument(&slots[3]);
        const FractionMaker fraction{slots[6]};
        core::ExactKey key;
        try {
            key = core::lowest_terms(core::exact_wall(v, u));
        } catch (const core::NoWall& error) {
            PyErr_SetString(PyExc_ValueError, error.what());
            throw PythonErrorSet{};
        }
        return std::visit([&](const auto& key) {
            return PyRef::checked(PyTuple_Pack(2, fraction(key.center).get(), fraction(key.radius_squared).get()));
        }, key).release();
    });
}

PyObject* wall_objects(PyObject* module, PyObject* const* args, Py_ssize_t nargsf, PyObject* kwnames) {
    return walls_guarded([&] {
        const auto slots = bind(wall_objects_description, module, args, nargsf, kwnames);
        const WallColumns columns = columns_of(slots[0]);
        const std::size_t stop = index_argument(slots[2], "stop", columns.walls());
        const std::size_t start = index_argument(slots[1], "start", stop);
        const WallMaker maker{slots[3], {slots[4]}, PyRef::borrow(slots[5]), PyRef::borrow(slots[6])};
        PyRef list = PyRef::checked(PyList_New(static_cast<Py_ssize_t>(stop - start)));
        for (std::size_t wall = start; wall < stop; ++wall)
            PyList_SetItem(list.get(), static_cast<Py_ssize_t>(wall - start),
                           wall_object(columns, wall, maker).release());
        return list.release();
    });
}

PyObject* wall_columns(PyObject* module, PyObject* const* args, Py_ssize_t nargsf, PyObject* kwnames) {
    return walls_guarded([&] {
        const auto slots = bind(wall_columns_description, module, args, nargsf, kwnames);
        const WallColumns columns = columns_of(slots[0]);
        const FractionMaker fraction{slots[1]};
        const auto count = static_cast<Py_ssize_t>(columns.walls());
        PyRef lists[5];
        for (PyRef& list : lists) list = PyRef::checked(PyList_New(count));
        for (Py_ssize_t wall = 0; wall < count; ++wall) {
            const auto at = static_cast<std::size_t>(wall);
            PyRef values[4];
            std::visit([&](const auto& key) {
                values[0] = fraction(key.center), values[1] = quotient(key.center);
                values[2] = fraction(key.radius_squared), values[3] = quotient(key.radius_squared);
            }, wall_key(columns, at));
            for (std::size_t k = 0; k < 4; ++k) PyList_SetItem(lists[k].get(), wall, values[k].release());
            PyList_SetItem(lists[4].get(), wall, semistabilizers(columns, at).release());
        }
        return PyRef::checked(PyTuple_Pack(5, lists[0].get(), lists[1].get(), lists[2].get(), lists[3].get(),
                                           lists[4].get())).release();
    });
}

}  // namespace varnolt::walls
