#include "boundary/memory_budget.hpp"

#include <malloc.h>

#include <algorithm>
#include <limits>
#include <string>

#include "boundary/py_ref.hpp"
#include "primitives/int128.hpp"

namespace varnolt::boundary {

namespace {

constexpr std::uint64_t most = std::numeric_limits<std::uint64_t>::max();

}  // namespace

std::uint64_t MemoryBudget::bytes_for(std::size_t count) const {
    const primitives::uwide bytes = static_cast<primitives::uwide>(count) * bytes_per_candidate_;
    return bytes > most ? most : static_cast<std::uint64_t>(bytes);
}

std::size_t MemoryBudget::raised_limit(std::size_t count) {
    const std::uint64_t needed = bytes_for(count);
    // A quarter ahead: few measurements, little held back from the searches in other threads.
    const std::uint64_t step = needed > most / 5 * 4 ? most : needed + needed / 4;
    const auto raised = reservation_.raise_to(needed, step);
    if (!raised) {
        refused_ = raised.error();
        return count - 1;  // count > the previous limit >= 0
    }
    // Never more than a Python list can hold: a list slot takes a pointer.
    constexpr std::uint64_t longest_list = PY_SSIZE_T_MAX / sizeof(PyObject*);
    return static_cast<std::size_t>(std::min(reservation_.bytes() / bytes_per_candidate_, longest_list));
}

tilt_stability::CandidateLimit MemoryBudget::search_limit() {
    return {unchecked_candidates,
            tilt_stability::CandidateLimit::Raise([this](std::size_t count) { return raised_limit(count); })};
}

void MemoryBudget::reserve(std::size_t count) {
    if (const auto raised = reservation_.raise_to(bytes_for(count)); !raised) {
        refused_ = raised.error();
        refuse(count);
    }
}

void MemoryBudget::settle(std::size_t found) noexcept { reservation_.lower_to(bytes_for(found)); }

void MemoryBudget::refuse(std::size_t found) const {
    const memory::MemoryRefused refused = refused_.value_or(memory::MemoryRefused{bytes_for(found), 0, 0});
    const std::uint64_t room =
        refused.usable > refused.promised_elsewhere ? refused.usable - refused.promised_elsewhere : 0;
    const std::string elsewhere =
        refused.promised_elsewhere == 0
            ? ""
            : " besides the " + std::to_string(refused.promised_elsewhere) +
                  " bytes promised to other searches under way,";
    const std::string message = "the search stopped after finding " + std::to_string(found) +
                                " candidates: " + holding_ + " needs " + std::to_string(refused.needed) +
                                " bytes of memory, but" + elsewhere + " this process can use only " +
                                std::to_string(room) + " more bytes";
    PyErr_SetString(PyExc_MemoryError, message.c_str());
    throw PythonErrorSet{};
}

void release_free_memory() noexcept {
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

}  // namespace varnolt::boundary
