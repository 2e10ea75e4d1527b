#include "varnolt_walls/k3_solutions.hpp"

#include <cstdint>
#include <functional>
#include <vector>

#include "conversions.hpp"
#include "k3/fundamental_solutions.hpp"
#include "k3/pell_unit.hpp"
#include "py_ref.hpp"
#include "utils/isqrt.hpp"
#include "varnolt_walls/out_of_memory.hpp"
#include "varnolt_walls/released_lock.hpp"

namespace varnolt::walls {

namespace {

struct Found {
    k3::PellUnit unit;
    std::vector<k3::Solution> solutions;
};

PyRef pair_of(utils::wide x, utils::wide y) {
    const PyRef first = int_from(x);
    const PyRef second = int_from(y);
    return PyRef::checked(PyTuple_Pack(2, first.get(), second.get()));
}

}  // namespace

PyObject* pell_solutions(PyObject*, PyObject* const* args, Py_ssize_t nargsf, PyObject* kwnames) {
    return walls_guarded([&] {
        const auto slots = bind(pell_solutions_description, args, nargsf, kwnames);
        const std::int64_t d = to_int64(slots[0], "d");
        const std::int64_t k = to_int64(slots[1], "k");
        const auto root = d > 0 ? static_cast<std::int64_t>(utils::isqrt(static_cast<utils::uwide>(d))) : 0;
        if (d <= 0 || k <= 0 || root * root == d) {
            PyErr_SetString(PyExc_ValueError, "pell_solutions needs d > 0 not a square and k > 0");
            throw PythonErrorSet{};
        }
        const Found found = work_without_lock([&](ReleasedLock& lock) {
            tilt_stability::InterruptPoll interrupt{
                std::function<bool(const tilt_stability::Progress&)>{SignalCheck{lock, nullptr}}};
            const k3::PellUnit unit = k3::pell_unit(d, interrupt);
            return Found{unit, k3::fundamental_solutions(d, k, unit, interrupt)};
        });
        const PyRef solutions = PyRef::checked(PyTuple_New(static_cast<Py_ssize_t>(found.solutions.size())));
        for (std::size_t i = 0; i < found.solutions.size(); ++i) {
            // PyTuple_SetItem steals the new reference, also when it fails.
            if (PyTuple_SetItem(solutions.get(), static_cast<Py_ssize_t>(i),
                                pair_of(found.solutions[i].x, found.solutions[i].y).release()) < 0)
                throw PythonErrorSet{};
        }
        const PyRef unit = pair_of(found.unit.x, found.unit.y);
        return PyTuple_Pack(2, unit.get(), solutions.get());
    });
}

}  // namespace varnolt::walls
