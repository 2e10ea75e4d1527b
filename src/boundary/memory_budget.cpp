#include "boundary/memory_budget.hpp"

#include <malloc.h>

#include <algorithm>
#include <string>

#include "memory/available_memory.hpp"
#include "boundary/py_ref.hpp"
#include "primitives/int128.hpp"

namespace varnolt::boundary {

namespace {

std::string decimal(primitives::uwide value) {
    std::string digits;
    do {
        digits.push_back(static_cast<char>('0' + static_cast<int>(value % 10)));
        value /= 10;
    } while (value != 0);
    std::reverse(digits.begin(), digits.end());
    return digits;
}

}  // namespace

std::size_t candidate_limit(std::uint64_t available, std::size_t bytes_per_candidate) {
    // A list slot takes a pointer: PY_SSIZE_T_MAX / 8 is the longest list.
    constexpr std::uint64_t longest_list = PY_SSIZE_T_MAX / sizeof(PyObject*);
    return static_cast<std::size_t>(std::min(available / bytes_per_candidate, longest_list));
}

tilt_stability::CandidateLimit MemoryBudget::search_limit() {
    return {unchecked_candidates, [this] {
                available_ = memory::usable_memory_bytes();
                return candidate_limit(available_, bytes_per_candidate_);
            }};
}

void MemoryBudget::refuse(std::size_t found) const {
    const primitives::uwide needed = static_cast<primitives::uwide>(found) * bytes_per_candidate_;
    const std::string message = "the search stopped after finding " + decimal(found) +
                                " candidates: a list of them needs " + decimal(needed) +
                                " bytes of memory, but this process can use only " +
                                decimal(available_) + " more bytes";
    PyErr_SetString(PyExc_MemoryError, message.c_str());
    throw PythonErrorSet{};
}

void release_free_memory() noexcept {
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

}  // namespace varnolt::boundary
