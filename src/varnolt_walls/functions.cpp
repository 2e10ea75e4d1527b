#include "varnolt_walls/functions.hpp"

#include <cstdint>

#include "boundary/binding.hpp"
#include "boundary/conversions.hpp"
#include "boundary/search_failure.hpp"
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
using boundary::raise_search_failure;
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
SearchCall search_call(const FunctionDescription<6>& function, PyObject* module, PyObject* const* args,
                       Py_ssize_t nargsf, PyObject* kwnames) {
    const auto slots = bind(function, module, args, nargsf, kwnames);
    const std::int64_t r = to_int64(slots[0], "r");
    const std::int64_t c = to_int64(slots[1], "c");
    const std::int64_t d = to_int64(slots[2], "d");
    const std::optional<std::int64_t> max_rank = to_optional_int64(slots[3], "max_rank");
    PyObject* const progress = progress_callback(slots[4]);
    const SearchCall call{{.v = {r, {c}, {d}}, .max_rank = max_rank, .surface = surface(slots[5])},
                          progress};
    if (!tilt_stability::surface::on_lattice(call.search.surface, call.search.v)) {
        PyErr_SetString(PyExc_ValueError, "v is not on the lattice of P2: d must be congruent to c mod 2");
        throw PythonErrorSet{};
    }
    return call;
}

// The class of varnolt_walls._errors that the package raises for a failure of
// this kind, or null for the kinds it raises as varnolt does.
const char* package_error(tilt_stability::FailureKind kind) {
    switch (kind) {
        case tilt_stability::FailureKind::irrational_beta: return "IrrationalBetaError";
        case tilt_stability::FailureKind::no_real_beta: return "NoRealBetaError";
        default: return nullptr;
    }
}

// Raises the failure of the search of v: the package's own exception, made
// from v, for the kinds Python code decides by; otherwise as varnolt raises it.
[[noreturn]] void raise_failure(const tilt_stability::SearchFailure& failure,
                                const chern_character::ChernChar<2>& v) {
    const char* name = package_error(failure.kind);
    if (name == nullptr) raise_search_failure(failure);
    const PyRef errors = PyRef::checked(PyImport_ImportModule("varnolt_walls._errors"));
    const PyRef type = PyRef::checked(PyObject_GetAttrString(errors.get(), name));
    const PyRef chern_character =
        PyRef::checked(Py_BuildValue("(LLL)", v.r, v.c.coeff, v.d.numerator));
    const PyRef error =
        PyRef::checked(PyObject_CallFunctionObjArgs(type.get(), chern_character.get(), nullptr));
    PyErr_SetObject(type.get(), error.get());
    throw PythonErrorSet{};
}

// The search's value, or its failure raised.
template <typename T>
T value_or_raise(SearchResult<T> result, const SearchCall& call) {
    if (!result) raise_failure(result.error(), call.search.v);
    return std::move(*result);
}

}  // namespace

PyObject* candidates(PyObject* module, PyObject* const* args, Py_ssize_t nargsf, PyObject* kwnames) {
    return walls_guarded([&] {
        const SearchCall call = search_call(candidates_description, module, args, nargsf, kwnames);
        memory::Reservation reservation;  // until the rows are built
        const CandidateRuns runs = value_or_raise(candidate_runs(call, reservation), call);
        return rows_buffer(runs).release();
    });
}

PyObject* count(PyObject* module, PyObject* const* args, Py_ssize_t nargsf, PyObject* kwnames) {
    return walls_guarded([&] {
        const SearchCall call = search_call(count_description, module, args, nargsf, kwnames);
        // At most 2^64 candidates per run and far fewer than 2^63 runs: the
        // count fits a signed 128-bit integer.
        const primitives::uwide found = value_or_raise(candidate_count(call), call);
        return int_from(static_cast<primitives::wide>(found)).release();
    });
}

PyObject* walls(PyObject* module, PyObject* const* args, Py_ssize_t nargsf, PyObject* kwnames) {
    return walls_guarded([&] {
        const SearchCall call = search_call(walls_description, module, args, nargsf, kwnames);
        memory::Reservation reservation;  // until the buffers are built
        return walls_buffers(value_or_raise(candidate_walls(call, reservation), call), call.search.v).release();
    });
}

PyObject* group(PyObject* module, PyObject* const* args, Py_ssize_t nargsf, PyObject* kwnames) {
    return walls_guarded([&] {
        const auto slots = bind(group_description, module, args, nargsf, kwnames);
        const std::int64_t r = to_int64(slots[0], "r");
        const std::int64_t c = to_int64(slots[1], "c");
        const std::int64_t d = to_int64(slots[2], "d");
        const SearchCall call{{.v = {r, {c}, {d}}}, progress_callback(slots[4])};
        memory::Reservation reservation;  // until the buffers are built
        std::vector<grouping::Row> rows =
            rows_from_buffer(slots[3], [&](std::size_t count) { reserve_for_grouping(reservation, count); });
        return walls_buffers(walls_of_rows(call, std::move(rows)), call.search.v).release();
    });
}

}  // namespace varnolt::walls
