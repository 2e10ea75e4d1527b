#include "search_call.hpp"

#include <unistd.h>

#include "conversions.hpp"
#include "tilt_stability/left_pseudo_semistabilizers/left_pseudo_semistabilizers.hpp"

namespace varnolt {

namespace {

namespace search = tilt_stability::left_pseudo_semistabilizers;

// Switches the cyclic garbage collector off while the result is built, and
// back on afterwards if it was on. Tuples of ints cannot form cycles, and
// without this every few hundred new tuples would set off a collection that
// walks all the tuples made so far. Only a signal handler can run Python code
// meanwhile, and it is not handed the partial list.
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

// Whether a list of this many tuples can fit in the machine's memory at all:
// each takes a list slot, a tuple and, as a rule, an int of its own (8 + 64 +
// 32 bytes). A list that cannot fit is refused before any of it is built,
// rather than left to grow until the operating system ends the process.
bool fits_in_memory(std::size_t candidates) {
    constexpr std::size_t bytes_per_candidate = 104;
    if (candidates > static_cast<std::size_t>(PY_SSIZE_T_MAX) / bytes_per_candidate) return false;
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long page_size = sysconf(_SC_PAGE_SIZE);
    if (pages <= 0 || page_size <= 0) return true;  // unknown: let the allocator decide
    return candidates * bytes_per_candidate <=
           static_cast<std::size_t>(pages) * static_cast<std::size_t>(page_size);
}

// The list of (r, c, d) tuples, created at its final length. The tuples of one
// rank share its r and c objects.
PyRef list_of(const search::CandidateRuns& candidates) {
    if (!fits_in_memory(candidates.size())) {
        PyErr_NoMemory();
        throw PythonErrorSet{};
    }
    const GarbageCollectorPause pause;
    PyRef list = PyRef::checked(PyList_New(static_cast<Py_ssize_t>(candidates.size())));
    Py_ssize_t index = 0;
    for (const search::CandidateRun& run : candidates.runs()) {
        const PyRef r = int_from(run.r);
        const PyRef c = int_from(run.c);
        for (std::int64_t d = run.d_first;; ++d) {
            // A long list takes a while too: let Ctrl-C through here as well.
            if (index % tilt_stability::InterruptPoll::interval == 0 && PyErr_CheckSignals() != 0)
                throw PythonErrorSet{};
            PyRef tuple = PyRef::checked(PyTuple_New(3));
            PyRef d_value = int_from(d);
            PyTuple_SetItem(tuple.get(), 0, PyRef::borrow(r.get()).release());  // steals
            PyTuple_SetItem(tuple.get(), 1, PyRef::borrow(c.get()).release());
            PyTuple_SetItem(tuple.get(), 2, d_value.release());
            PyList_SetItem(list.get(), index++, tuple.release());
            if (d == run.d_last) break;
        }
    }
    return list;
}

}  // namespace

PyRef search_and_convert(const chern_character::ChernChar<2>& v) {
    // The search holds the interpreter lock throughout; it asks now and then
    // whether a signal (Ctrl-C) arrived, and stops if its handler raised.
    tilt_stability::InterruptPoll interrupt([] { return PyErr_CheckSignals() != 0; });
    const auto outcome = search::find_all_runs(v, interrupt);
    if (!outcome) {
        PyErr_SetString(PyExc_RuntimeError, outcome.error());
        throw PythonErrorSet{};
    }
    return list_of(*outcome);
}

}  // namespace varnolt
