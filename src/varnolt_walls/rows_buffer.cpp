#include "varnolt_walls/rows_buffer.hpp"

#include <cstdint>
#include <cstring>

#include "varnolt_walls/released_lock.hpp"

namespace varnolt::walls {

namespace {

constexpr std::size_t row_bytes = 3 * sizeof(std::int64_t);

// Writes the rows of runs to out, which has room for all of them.
void fill_rows(const CandidateRuns& runs, char* out) {
    for (const auto& run : runs.runs()) {
        tilt_stability::for_each_d(run, [&](std::int64_t d) {
            const std::int64_t row[3] = {run.r, run.c, d};
            std::memcpy(out, row, row_bytes);
            out += row_bytes;
        });
    }
}

}  // namespace

PyRef rows_buffer(const CandidateRuns& runs) {
    if (runs.size() > static_cast<std::size_t>(PY_SSIZE_T_MAX) / row_bytes) {
        PyErr_NoMemory();
        throw PythonErrorSet{};
    }
    const auto bytes = static_cast<Py_ssize_t>(runs.size() * row_bytes);
    PyRef buffer = PyRef::checked(PyByteArray_FromStringAndSize(nullptr, bytes));
    char* out = PyByteArray_AsString(buffer.get());
    if (out == nullptr) throw PythonErrorSet{};
    // No other thread can see the new bytearray yet, so it is filled without the lock.
    fill_without_lock([&] { fill_rows(runs, out); }, buffer);
    return buffer;
}

}  // namespace varnolt::walls
