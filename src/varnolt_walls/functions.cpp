#include "varnolt_walls/functions.hpp"

#include <cstdint>

#include "binding.hpp"
#include "call_guard.hpp"
#include "conversions.hpp"
#include "varnolt_walls/core_calls.hpp"
#include "varnolt_walls/rows_buffer.hpp"
#include "varnolt_walls/walls_buffers.hpp"

namespace varnolt::walls {

namespace {

// progress and p2 may be left out.
constexpr FunctionDescription<6> candidates_description{
    "candidates", {"r", "c", "d", "max_rank", "progress", "p2"}, 4};
constexpr FunctionDescription<6> count_description{
    "count", {"r", "c", "d", "max_rank", "progress", "p2"}, 4};
constexpr FunctionDescription<6> walls_description{
    "walls", {"r", "c", "d", "max_rank", "progress", "p2"}, 4};
constexpr FunctionDescription<5> group_description{"group", {"r", "c", "d", "rows", "progress"}, 4};

// A callable for progress, or null for None or a left-out argument; TypeError
// for anything else.
PyObject* progress_callback(PyObject* object) {
    if (object == nullptr || object == Py_None) return nullptr;
    if (PyCallable_Check(object) == 0) {
        PyErr_SetString(PyExc_TypeError, "argument 'progress' must be callable or None");
        throw PythonErrorSet{};
    }
    return object;
}

// The lattice of p2: the projective plane's when true, else the half-integral one.
tilt_stability::surface::Surface surface(PyObject* p2) {
    using tilt_stability::surface::Surface;
    if (p2 == nullptr) return Surface::half_integral_ch2;
    const int truth = PyObject_IsTrue(p2);
    if (truth < 0) throw PythonErrorSet{};
    return truth != 0 ? Surface::projective_plane : Surface::half_integral_ch2;
}

// The search a call asks for: r, c, d, max_rank (None: no bound), progress and
// p2 bound and converted in parameter order (the first failure wins). v off
// the lattice of p2 is a ValueError.
SearchRequest search_request(const FunctionDescription<6>& function, PyObject* const* args,
                             Py_ssize_t nargsf, PyObject* kwnames) {
    const auto slots = bind(function, args, nargsf, kwnames);
    const std::int64_t r = to_int64(slots[0], "r");
    const std::int64_t c = to_int64(slots[1], "c");
    const std::int64_t d = to_int64(slots[2], "d");
    const std::optional<std::int64_t> max_rank = to_optional_int64(slots[3], "max_rank");
    PyObject* const progress = progress_callback(slots[4]);
    const SearchRequest request{{r, {c}, {d}}, max_rank, progress, surface(slots[5])};
    if (!tilt_stability::surface::on_lattice(request.surface, request.v)) {
        PyErr_SetString(PyExc_ValueError, "v is not on the lattice of P2: d must be congruent to c mod 2");
        throw PythonErrorSet{};
    }
    return request;
}

// The search's value, or its message raised as RuntimeError.
template <typename T>
T value_or_raise(utils::Outcome<T> outcome) {
    if (!outcome) {
        PyErr_SetString(PyExc_RuntimeError, outcome.error());
        throw PythonErrorSet{};
    }
    return std::move(*outcome);
}

}  // namespace

PyObject* candidates(PyObject*, PyObject* const* args, Py_ssize_t nargsf, PyObject* kwnames) {
    return call_guarded([&] {
        const SearchRequest request = search_request(candidates_description, args, nargsf, kwnames);
        const CandidateRuns runs = value_or_raise(candidate_runs(request));
        return rows_buffer(runs).release();
    });
}

PyObject* count(PyObject*, PyObject* const* args, Py_ssize_t nargsf, PyObject* kwnames) {
    return call_guarded([&] {
        const SearchRequest request = search_request(count_description, args, nargsf, kwnames);
        // At most 2^64 candidates per run and far fewer than 2^63 runs: the
        // count fits a signed 128-bit integer.
        const utils::uwide found = value_or_raise(candidate_count(request));
        return int_from(static_cast<utils::wide>(found)).release();
    });
}

PyObject* walls(PyObject*, PyObject* const* args, Py_ssize_t nargsf, PyObject* kwnames) {
    return call_guarded([&] {
        const SearchRequest request = search_request(walls_description, args, nargsf, kwnames);
        return walls_buffers(value_or_raise(candidate_walls(request)), request.v).release();
    });
}

PyObject* group(PyObject*, PyObject* const* args, Py_ssize_t nargsf, PyObject* kwnames) {
    return call_guarded([&] {
        const auto slots = bind(group_description, args, nargsf, kwnames);
        const std::int64_t r = to_int64(slots[0], "r");
        const std::int64_t c = to_int64(slots[1], "c");
        const std::int64_t d = to_int64(slots[2], "d");
        const SearchRequest request{{r, {c}, {d}}, std::nullopt, progress_callback(slots[4])};
        return walls_buffers(walls_of_rows(request, rows_from_buffer(slots[3])), request.v).release();
    });
}

}  // namespace varnolt::walls
