#include "varnolt_walls/functions.hpp"

#include <cstdint>

#include "boundary/binding.hpp"
#include "boundary/conversions.hpp"
#include "varnolt_walls/core_calls.hpp"
#include "varnolt_walls/out_of_memory.hpp"
#include "varnolt_walls/rows_buffer.hpp"
#include "varnolt_walls/walls_buffers.hpp"

namespace varnolt::walls {

using boundary::FunctionDescription;
using boundary::PyRef;
using boundary::PythonErrorSet;
using boundary::bind;
using boundary::int_from;
using boundary::to_int64;
using boundary::to_optional_int64;

namespace {

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

// Whether the option in slot is set: false for a left-out argument.
bool option_set(PyObject* slot) {
    if (slot == nullptr) return false;
    const int truth = PyObject_IsTrue(slot);
    if (truth < 0) throw PythonErrorSet{};
    return truth != 0;
}

// An integer of any size from the bytes of int.to_bytes(n, "little", signed=True).
utils::BigInt big_int_from(PyObject* bytes) {
    char* data = nullptr;
    Py_ssize_t size = 0;
    if (PyBytes_AsStringAndSize(bytes, &data, &size) < 0) throw PythonErrorSet{};
    return utils::BigInt::from_signed_bytes(
        {reinterpret_cast<const unsigned char*>(data), static_cast<std::size_t>(size)});
}

// The point of `above`: None, or four bytes objects (see functions.hpp).
std::optional<tilt_stability::above::Point> point_from(PyObject* slot) {
    if (slot == nullptr || slot == Py_None) return std::nullopt;
    if (!PyTuple_Check(slot) || PyTuple_Size(slot) != 4) {
        PyErr_SetString(PyExc_TypeError, "argument 'above' must be None or a tuple of four bytes");
        throw PythonErrorSet{};
    }
    return tilt_stability::above::Point{big_int_from(PyTuple_GetItem(slot, 0)), big_int_from(PyTuple_GetItem(slot, 1)),
                                        big_int_from(PyTuple_GetItem(slot, 2)), big_int_from(PyTuple_GetItem(slot, 3))};
}

// The search a call asks for, its arguments bound and converted in parameter
// order (the first failure wins).
SearchCall search_call(const FunctionDescription<9>& function, PyObject* module, PyObject* const* args,
                       Py_ssize_t nargsf, PyObject* kwnames) {
    const auto slots = bind(function, module, args, nargsf, kwnames);
    const std::int64_t r = to_int64(slots[0], "r");
    const std::int64_t c = to_int64(slots[1], "c");
    const std::int64_t d = to_int64(slots[2], "d");
    const std::optional<std::int64_t> max_rank = slots[3] ? to_optional_int64(slots[3], "max_rank") : std::nullopt;
    PyObject* const progress = progress_callback(slots[4]);
    const std::int64_t degree = slots[5] ? to_int64(slots[5], "degree") : 2;
    const std::int64_t d_denominator = slots[6] ? to_int64(slots[6], "d_denominator") : 1;
    const auto side = option_set(slots[7]) ? tilt_stability::Side::right : tilt_stability::Side::left;
    return {{.v = {r, {c}, {d}},
             .max_rank = max_rank,
             .surface = {degree},
             .d_denominator = d_denominator,
             .side = side,
             .above = point_from(slots[8]),
             // The package searches a shifted class E[1] as −v (the walls of E).
             .shifted_as_negated = true},
            progress};
}

// The name the package's table knows a failure kind by.
const char* kind_name(tilt_stability::FailureKind kind) {
    using enum tilt_stability::FailureKind;
    switch (kind) {
        case irrational_beta: return "irrational_beta";
        case no_real_beta: return "no_real_beta";
        case negative_rank: return "negative_rank";
        case negative_rank_irrational: return "negative_rank_irrational";
        case overflow: return "overflow";
        case internal_fault: return "internal_fault";
        case off_lattice: return "off_lattice";
        case alpha_not_positive: return "alpha_not_positive";
        case point_on_vertical_wall: return "point_on_vertical_wall";
        case point_across_vertical_wall: return "point_across_vertical_wall";
        case rank_bound_beyond_int64: return "rank_bound_beyond_int64";
        case rank_bound_beyond_walk: return "rank_bound_beyond_walk";
    }
    return "internal_fault";
}

// Raises the module's Refused with the failure's kind, v, text and detail:
// the package turns it into its own exception from one table.
[[noreturn]] void raise_failure(PyObject* module, const tilt_stability::SearchFailure& failure) {
    const PyRef type = PyRef::checked(PyObject_GetAttrString(module, "Refused"));
    const PyRef arguments = PyRef::checked(Py_BuildValue("(s(LLL)ss)", kind_name(failure.kind), failure.v.r,
                                                         failure.v.c.coeff, failure.v.d.numerator, failure.text,
                                                         failure.detail.c_str()));
    PyErr_SetObject(type.get(), arguments.get());
    throw PythonErrorSet{};
}

// The search's value, or its failure raised.
template <typename T>
T value_or_raise(PyObject* module, SearchResult<T> result) {
    if (!result) raise_failure(module, result.error());
    return std::move(*result);
}

}  // namespace

PyObject* candidates(PyObject* module, PyObject* const* args, Py_ssize_t nargsf, PyObject* kwnames) {
    return walls_guarded([&] {
        const SearchCall call = search_call(candidates_description, module, args, nargsf, kwnames);
        memory::Reservation reservation;  // until the rows are built
        const CandidateRuns runs = value_or_raise(module, candidate_runs(call, reservation));
        return rows_buffer(runs).release();
    });
}

PyObject* count(PyObject* module, PyObject* const* args, Py_ssize_t nargsf, PyObject* kwnames) {
    return walls_guarded([&] {
        const SearchCall call = search_call(count_description, module, args, nargsf, kwnames);
        // At most 2^64 candidates per run and far fewer than 2^63 runs: the
        // count fits a signed 128-bit integer.
        const primitives::uwide found = value_or_raise(module, candidate_count(call));
        return int_from(static_cast<primitives::wide>(found)).release();
    });
}

PyObject* walls(PyObject* module, PyObject* const* args, Py_ssize_t nargsf, PyObject* kwnames) {
    return walls_guarded([&] {
        const SearchCall call = search_call(walls_description, module, args, nargsf, kwnames);
        memory::Reservation reservation;  // until the buffers are built
        // lattice_v only once the search has judged v to lie on the surface's lattice.
        const FoundWalls found = value_or_raise(module, candidate_walls(call, reservation));
        return walls_buffers(found, tilt_stability::lattice_v(call.search)).release();
    });
}

PyObject* group(PyObject* module, PyObject* const* args, Py_ssize_t nargsf, PyObject* kwnames) {
    return walls_guarded([&] {
        const auto slots = bind(group_description, module, args, nargsf, kwnames);
        const std::int64_t r = to_int64(slots[0], "r");
        const std::int64_t c = to_int64(slots[1], "c");
        const std::int64_t d = to_int64(slots[2], "d");
        // Field by field: g++ 12 misreads the point's empty optional in a nested initializer.
        SearchCall call;
        call.search.v = {r, {c}, {d}};
        call.progress = progress_callback(slots[4]);
        memory::Reservation reservation;  // until the buffers are built
        std::vector<grouping::Row> rows =
            rows_from_buffer(slots[3], [&](std::size_t count) { reserve_for_grouping(reservation, count); });
        return walls_buffers(walls_of_rows(call, std::move(rows)), call.search.v).release();
    });
}

}  // namespace varnolt::walls
