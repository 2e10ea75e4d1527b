#include "search_call.hpp"

#include "boundary/conversions.hpp"
#include "boundary/memory_budget.hpp"
#include "tilt_stability/left_pseudo_semistabilizers/left_pseudo_semistabilizers.hpp"

namespace varnolt {

using boundary::MemoryBudget;
using boundary::PyRef;
using boundary::PythonErrorSet;
using boundary::int_from;
using boundary::runs_within;

namespace {

namespace search = tilt_stability;

// What the result holds per candidate at its peak: a list slot, a tuple and, as
// a rule, an int of its own (8 + 64 + 32 bytes); and while the list is built
// the search's runs are still held, at worst one run per candidate.
constexpr std::size_t bytes_per_candidate = 104 + sizeof(search::CandidateRun);

// Switches the cyclic garbage collector off while the result is built, and
// back on afterwards if it was on. Tuples of ints cannot form cycles, and
// without this every few hundred new tuples would set off a collection that
// walks all the tuples made so far.
class GarbageCollectorPause {
public:
    GarbageCollectorPause() : was_enabled_(PyGC_Disable() == 1) {}
    ~GarbageCollectorPause() {
        if (was_enabled_) PyGC_Enable();
    }
    GarbageCollectorPause(const GarbageCollectorPause&) = delete;
    GarbageCollectorPause& operator=(const GarbageCollectorPause&) = delete;

private:
    bool was_enabled_;
};

// The list of (r, c, d) tuples, created at its final length. The tuples of one
// rank share its r and c objects.
//
// Python code can run while the list is filled: a signal handler, at each
// check for Ctrl-C. The list is kept out of the garbage collector's sight
// until every slot is filled, so that nothing (gc.get_objects(), a debugger)
// can reach its empty slots; each tuple is filled right after it is made, with
// no allocation in between, so no half-filled tuple is ever seen either.
PyRef list_of(const search::CandidateRuns& candidates) {
    const GarbageCollectorPause pause;
    PyRef list = PyRef::checked(PyList_New(static_cast<Py_ssize_t>(candidates.size())));
    PyObject_GC_UnTrack(list.get());
    Py_ssize_t index = 0;
    for (const search::CandidateRun& run : candidates.runs()) {
        const PyRef r = int_from(run.r);
        const PyRef c = int_from(run.c);
        search::for_each_d(run, [&](std::int64_t d) {
            // A long list takes a while too: let Ctrl-C through here as well.
            if (index % tilt_stability::InterruptPoll::interval == 0 && PyErr_CheckSignals() != 0)
                throw PythonErrorSet{};
            PyRef d_value = int_from(d);
            PyRef tuple = PyRef::checked(PyTuple_New(3));
            PyTuple_SetItem(tuple.get(), 0, PyRef::borrow(r.get()).release());  // steals
            PyTuple_SetItem(tuple.get(), 1, PyRef::borrow(c.get()).release());
            PyTuple_SetItem(tuple.get(), 2, d_value.release());
            PyList_SetItem(list.get(), index++, tuple.release());
        });
    }
    PyObject_GC_Track(list.get());
    return list;
}

}  // namespace

PyRef search_and_convert(const chern_character::ChernChar<2>& v) {
    // The search holds the interpreter lock throughout; it asks now and then
    // whether a signal (Ctrl-C) arrived, and stops if its handler raised.
    // A value beyond 64 bits ends it with ArithmeticOverflow, which the call
    // guard raises as OverflowError.
    tilt_stability::InterruptPoll interrupt([] { return PyErr_CheckSignals() != 0; });
    memory::Reservation reservation;  // until the list is built
    MemoryBudget budget(reservation, bytes_per_candidate, "a list of them");
    const utils::Outcome<search::CandidateRuns> found = runs_within(budget, [&](search::CandidateLimit limit) {
        return search::left_pseudo_semistabilizers::find_all(v, interrupt, std::move(limit));
    });
    if (!found) {
        PyErr_SetString(PyExc_RuntimeError, found.error());
        throw PythonErrorSet{};
    }
    budget.settle(found->size());
    return list_of(*found);
}

}  // namespace varnolt
