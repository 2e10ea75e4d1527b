#include "boundary/conversions.hpp"

#include <cstdint>
#include <limits>

namespace varnolt::boundary {

namespace {

// A conversion error of exactly TypeError is replaced by one that names the
// argument, keeping the original's cause; any other error passes unchanged.
[[noreturn]] void raise_conversion_error(const char* name) {
    PyRef error = PyRef::steal(PyErr_GetRaisedException());
    if (error && Py_IS_TYPE(error.get(), reinterpret_cast<PyTypeObject*>(PyExc_TypeError))) {
        PyRef text = PyRef::steal(PyObject_Str(error.get()));
        PyRef message = text ? PyRef::steal(PyUnicode_FromFormat("argument '%s': %U", name,
                                                                 text.get()))
                             : PyRef();
        PyRef renamed = message ? PyRef::steal(PyObject_CallFunctionObjArgs(PyExc_TypeError, message.get(), nullptr))
                                : PyRef();
        if (!renamed) throw PythonErrorSet{};  // the failure of building it is set instead
        PyException_SetCause(renamed.get(), PyException_GetCause(error.get()));
        PyErr_SetRaisedException(renamed.release());
    } else {
        PyErr_SetRaisedException(error.release());
    }
    throw PythonErrorSet{};
}

}  // namespace

std::int64_t to_int64(PyObject* object, const char* name) {
    PyRef index = PyRef::steal(PyNumber_Index(object));
    if (!index) raise_conversion_error(name);
    const long long value = PyLong_AsLongLong(index.get());
    if (value == -1 && PyErr_Occurred()) raise_conversion_error(name);
    return value;
}

std::optional<std::int64_t> to_optional_int64(PyObject* object, const char* name) {
    if (Py_IsNone(object)) return std::nullopt;
    return to_int64(object, name);
}

std::uint32_t to_uint32(PyObject* object, const char* name) {
    PyRef index = PyRef::steal(PyNumber_Index(object));
    if (!index) raise_conversion_error(name);
    const unsigned long long value = PyLong_AsUnsignedLongLong(index.get());
    if (value == static_cast<unsigned long long>(-1) && PyErr_Occurred())
        raise_conversion_error(name);
    if (value > std::numeric_limits<std::uint32_t>::max()) {
        PyErr_SetString(PyExc_OverflowError, "out of range integral type conversion attempted");
        throw PythonErrorSet{};
    }
    return static_cast<std::uint32_t>(value);
}

PyRef int_from(std::int64_t value) { return PyRef::checked(PyLong_FromLongLong(value)); }

PyRef int_from(primitives::wide value) {
    if (value >= std::numeric_limits<std::int64_t>::min() &&
        value <= std::numeric_limits<std::int64_t>::max())
        return int_from(static_cast<std::int64_t>(value));
    // Beyond 64 bits: high * 2^64 + low, with Python's own big integers.
    const auto low = static_cast<std::uint64_t>(value);
    const auto high = static_cast<std::int64_t>(value >> 64);
    PyRef high_part = int_from(high);
    PyRef shift = int_from(std::int64_t{64});
    PyRef shifted = PyRef::checked(PyNumber_Lshift(high_part.get(), shift.get()));
    PyRef low_part = PyRef::checked(PyLong_FromUnsignedLongLong(low));
    return PyRef::checked(PyNumber_Or(shifted.get(), low_part.get()));
}

// The limbs from the most significant down: value = value·2^64 + limb.
PyRef int_from(const utils::BigInt& value) {
    PyRef result = int_from(std::int64_t{0});
    const PyRef shift = int_from(std::int64_t{64});
    const auto limbs = value.limbs();
    for (auto limb = limbs.rbegin(); limb != limbs.rend(); ++limb) {
        PyRef shifted = PyRef::checked(PyNumber_Lshift(result.get(), shift.get()));
        PyRef low = PyRef::checked(PyLong_FromUnsignedLongLong(*limb));
        result = PyRef::checked(PyNumber_Or(shifted.get(), low.get()));
    }
    return value.negative() ? PyRef::checked(PyNumber_Negative(result.get())) : std::move(result);
}

}  // namespace varnolt::boundary
