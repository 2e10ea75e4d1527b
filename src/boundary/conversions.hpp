#pragma once
// Conversions between Python ints and the core's integers.
#include <cstdint>
#include <optional>

#include "boundary/py_ref.hpp"
#include "primitives/int128.hpp"
#include "utils/big_int.hpp"

namespace varnolt::boundary {

// The value of object through its index protocol, as a signed 64-bit integer.
// Throws PythonErrorSet: TypeError "argument 'NAME': ..." for an object
// without an integer value, the interpreter's OverflowError outside the range.
std::int64_t to_int64(PyObject* object, const char* name);

// As to_int64, with None meaning no value.
std::optional<std::int64_t> to_optional_int64(PyObject* object, const char* name);

// As to_int64, for an unsigned 32-bit integer; above 4294967295 (and below
// 2^64) the OverflowError is "out of range integral type conversion attempted".
std::uint32_t to_uint32(PyObject* object, const char* name);

PyRef int_from(std::int64_t value);
PyRef int_from(primitives::wide value);
PyRef int_from(const utils::BigInt& value);

}  // namespace varnolt::boundary
