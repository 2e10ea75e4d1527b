#include "search_call.hpp"

#include "tilt_stability/left_pseudo_semistabilizers/left_pseudo_semistabilizers.hpp"

namespace varnolt {

namespace {

namespace search = tilt_stability::left_pseudo_semistabilizers;

PyRef tuple_of(const chern_character::ChernChar<2>& u) {
    PyRef tuple = PyRef::checked(PyTuple_New(3));
    const long long fields[] = {u.r, u.c.coeff, u.d.numerator};
    for (Py_ssize_t i = 0; i < 3; ++i) {
        PyObject* value = PyLong_FromLongLong(fields[i]);
        if (value == nullptr) throw PythonErrorSet{};
        PyTuple_SetItem(tuple.get(), i, value);  // steals value
    }
    return tuple;
}

// Switches the cyclic garbage collector off while the result is built, and
// back on afterwards if it was on. Tuples of ints cannot form cycles, and
// without this every few hundred new tuples would set off a collection that
// walks all the tuples made so far. No Python code runs in between.
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

PyRef list_of(const search::Candidates& candidates) {
    const GarbageCollectorPause pause;
    PyRef list = PyRef::checked(PyList_New(static_cast<Py_ssize_t>(candidates.size())));
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        // A long list takes a while too: let Ctrl-C through here as well.
        if (i % tilt_stability::InterruptPoll::interval == 0 && PyErr_CheckSignals() != 0)
            throw PythonErrorSet{};
        PyList_SetItem(list.get(), static_cast<Py_ssize_t>(i), tuple_of(candidates[i]).release());
    }
    return list;
}

}  // namespace

PyRef search_and_convert(const chern_character::ChernChar<2>& v) {
    // The search holds the interpreter lock throughout; it asks now and then
    // whether a signal (Ctrl-C) arrived, and stops if its handler raised.
    tilt_stability::InterruptPoll interrupt([] { return PyErr_CheckSignals() != 0; });
    const auto outcome = search::find_all(v, interrupt);
    if (!outcome) {
        PyErr_SetString(PyExc_RuntimeError, outcome.error());
        throw PythonErrorSet{};
    }
    return list_of(*outcome);
}

}  // namespace varnolt
