#include "varnolt_walls/functions.hpp"

#include <cstdint>

#include "binding.hpp"
#include "call_guard.hpp"
#include "conversions.hpp"
#include "varnolt_walls/core_calls.hpp"
#include "varnolt_walls/rows_buffer.hpp"

namespace varnolt::walls {

namespace {

// progress may be left out.
constexpr FunctionDescription<5> candidates_description{
    "candidates", {"r", "c", "d", "max_rank", "progress"}, 4};
constexpr FunctionDescription<5> count_description{
    "count", {"r", "c", "d", "max_rank", "progress"}, 4};

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

// The search a call asks for: r, c, d, max_rank (None: no bound) and progress
// bound and converted in parameter order (the first failure wins).
SearchRequest search_request(const FunctionDescription<5>& function, PyObject* const* args,
                             Py_ssize_t nargsf, PyObject* kwnames) {
    const auto slots = bind(function, args, nargsf, kwnames);
    const std::int64_t r = to_int64(slots[0], "r");
    const std::int64_t c = to_int64(slots[1], "c");
    const std::int64_t d = to_int64(slots[2], "d");
    const std::optional<std::int64_t> max_rank = to_optional_int64(slots[3], "max_rank");
    return {{r, {c}, {d}}, max_rank, progress_callback(slots[4])};
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

}  // namespace varnolt::walls
