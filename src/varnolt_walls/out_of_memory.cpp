#include "varnolt_walls/out_of_memory.hpp"

#include <new>
#include <string>

#include "memory/available_memory.hpp"
#include "memory/reservation.hpp"
#include "boundary/py_ref.hpp"

namespace varnolt::walls {

using boundary::PyRef;
using boundary::PythonErrorSet;

namespace {

// ": this process can use only U more bytes[, and P bytes are promised to
// searches under way]". Reading the figures allocates; should that fail too,
// nothing.
std::string what_is_left() {
    try {
        const std::uint64_t usable = memory::usable_memory_bytes();
        const std::uint64_t promised = memory::Reservation::promised_in_all();
        std::string text = ": this process can use only " + std::to_string(usable) + " more bytes";
        if (promised != 0)
            text += ", and " + std::to_string(promised) + " bytes are promised to searches under way";
        return text;
    } catch (const std::bad_alloc&) {
        return {};
    }
}

}  // namespace

void raise_out_of_memory(std::string_view what, std::optional<std::uint64_t> bytes) {
    const std::string size = bytes ? std::to_string(*bytes) + " bytes" : "memory";
    const std::string message = "could not allocate " + size + " for " + std::string(what) + what_is_left();
    PyErr_SetString(PyExc_MemoryError, message.c_str());
    throw PythonErrorSet{};
}

void explain_memory_error() noexcept {
    if (PyErr_ExceptionMatches(PyExc_MemoryError) == 0) return;
    PyRef error = PyRef::steal(PyErr_GetRaisedException());  // the indicator is cleared
    const PyRef text = PyRef::steal(PyObject_Str(error.get()));
    if (!text || PyUnicode_GetLength(text.get()) != 0) {
        PyErr_Clear();
        PyErr_SetRaisedException(error.release());  // a message already: keep it
        return;
    }
    try {
        const std::string message = "out of memory" + what_is_left();
        PyErr_SetString(PyExc_MemoryError, message.c_str());
    } catch (const std::bad_alloc&) {
        PyErr_SetString(PyExc_MemoryError, "out of memory");
    }
}

}  // namespace varnolt::walls
