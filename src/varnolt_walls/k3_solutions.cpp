#include "varnolt_walls/k3_solutions.hpp"

#include <cstdint>
#include <functional>
#include <vector>

#include "boundary/conversions.hpp"
#include "boundary/py_ref.hpp"
#include "k3/pell_expansions.hpp"
#include "utils/isqrt.hpp"
#include "varnolt_walls/out_of_memory.hpp"
#include "varnolt_walls/released_lock.hpp"

namespace varnolt::walls {

using boundary::PyRef;
using boundary::PythonErrorSet;
using boundary::bind;
using boundary::int_from;
using boundary::to_int64;

namespace {

// (f, z, (a_0, ...)) as a new tuple.
PyRef expansion_tuple(const k3::PellExpansion& expansion) {
    const PyRef quotients = PyRef::checked(PyTuple_New(static_cast<Py_ssize_t>(expansion.quotients.size())));
    for (std::size_t i = 0; i < expansion.quotients.size(); ++i) {
        // PyTuple_SetItem steals the new reference, also when it fails.
        if (PyTuple_SetItem(quotients.get(), static_cast<Py_ssize_t>(i),
                            int_from(expansion.quotients[i]).release()) < 0)
            throw PythonErrorSet{};
    }
    const PyRef f = int_from(expansion.f);
    const PyRef z = int_from(expansion.z);
    return PyRef::checked(PyTuple_Pack(3, f.get(), z.get(), quotients.get()));
}

}  // namespace

PyObject* pell_expansions(PyObject* module, PyObject* const* args, Py_ssize_t nargsf, PyObject* kwnames) {
    return walls_guarded([&] {
        const auto slots = bind(pell_expansions_description, module, args, nargsf, kwnames);
        const std::int64_t d = to_int64(slots[0], "d");
        const std::int64_t k = to_int64(slots[1], "k");
        const auto root = d > 0 ? static_cast<std::int64_t>(utils::isqrt(static_cast<primitives::uwide>(d))) : 0;
        if (d <= 0 || k <= 0 || root * root == d) {
            PyErr_SetString(PyExc_ValueError, "pell_expansions needs d > 0 not a square and k > 0");
            throw PythonErrorSet{};
        }
        const std::vector<k3::PellExpansion> found = work_without_lock([&](ReleasedLock& lock) {
            tilt_stability::InterruptPoll interrupt{
                std::function<bool(const tilt_stability::Progress&)>{SignalCheck{lock, nullptr}}};
            return k3::pell_expansions(d, k, interrupt);
        });
        PyRef expansions = PyRef::checked(PyTuple_New(static_cast<Py_ssize_t>(found.size())));
        for (std::size_t i = 0; i < found.size(); ++i) {
            if (PyTuple_SetItem(expansions.get(), static_cast<Py_ssize_t>(i), expansion_tuple(found[i]).release()) < 0)
                throw PythonErrorSet{};
        }
        return expansions.release();
    });
}

}  // namespace varnolt::walls
