#include "varnolt_walls/functions.hpp"

#include <cstdint>

#include "binding.hpp"
#include "call_guard.hpp"
#include "conversions.hpp"
#include "varnolt_walls/core_calls.hpp"
#include "varnolt_walls/rows_buffer.hpp"

namespace varnolt::walls {

namespace {

constexpr FunctionDescription<4> candidates_description{"candidates", {"r", "c", "d", "max_rank"}};
constexpr FunctionDescription<4> count_description{"count", {"r", "c", "d", "max_rank"}};

// The search a call asks for: r, c, d and max_rank (None: no bound) bound and
// converted in parameter order (the first failure wins).
SearchRequest search_request(const FunctionDescription<4>& function, PyObject* const* args,
                             Py_ssize_t nargsf, PyObject* kwnames) {
    const auto slots = bind(function, args, nargsf, kwnames);
    const std::int64_t r = to_int64(slots[0], "r");
    const std::int64_t c = to_int64(slots[1], "c");
    const std::int64_t d = to_int64(slots[2], "d");
    return {{r, {c}, {d}}, to_optional_int64(slots[3], "max_rank")};
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
        const unsigned __int128 found = value_or_raise(candidate_count(request));
        return int_from(static_cast<__int128>(found)).release();
    });
}

}  // namespace varnolt::walls
