#include "varnolt_walls/shared_budget.hpp"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>

#include "boundary/py_ref.hpp"
#include "primitives/int128.hpp"

namespace varnolt::walls {

using boundary::PythonErrorSet;

namespace {

constexpr std::uint64_t most = std::numeric_limits<std::uint64_t>::max();

}  // namespace

std::uint64_t SharedBudget::bytes_for(std::size_t count) const {
    const primitives::uwide bytes = static_cast<primitives::uwide>(count) * bytes_per_candidate_;
    return bytes > most ? most : static_cast<std::uint64_t>(bytes);
}

std::size_t SharedBudget::raised_limit(std::size_t count) {
    const std::uint64_t needed = bytes_for(count);
    // A quarter ahead: few measurements, little held back from the searches in other threads.
    const std::uint64_t step = needed > most / 5 * 4 ? most : needed + needed / 4;
    const auto raised = reservation_.raise_to(needed, step);
    if (!raised) {
        refused_ = raised.error();
        return count - 1;  // count > the previous limit >= 0
    }
    return static_cast<std::size_t>(std::min<std::uint64_t>(reservation_.bytes() / bytes_per_candidate_,
                                                            std::numeric_limits<std::size_t>::max()));
}

tilt_stability::CandidateLimit SharedBudget::search_limit() {
    return {unchecked_candidates,
            tilt_stability::CandidateLimit::Raise([this](std::size_t count) { return raised_limit(count); })};
}

void SharedBudget::reserve(std::size_t count) {
    if (const auto raised = reservation_.raise_to(bytes_for(count)); !raised) {
        refused_ = raised.error();
        refuse(count);
    }
}

void SharedBudget::settle(std::size_t found) noexcept { reservation_.lower_to(bytes_for(found)); }

void SharedBudget::refuse(std::size_t found) const {
    const memory::MemoryRefused refused = refused_.value_or(memory::MemoryRefused{bytes_for(found), 0, 0});
    const std::uint64_t room =
        refused.usable > refused.promised_elsewhere ? refused.usable - refused.promised_elsewhere : 0;
    const std::string elsewhere =
        refused.promised_elsewhere == 0
            ? ""
            : " besides the " + std::to_string(refused.promised_elsewhere) +
                  " bytes promised to other searches under way,";
    const std::string message = "the search stopped after finding " + std::to_string(found) +
                                " candidates: holding them needs " + std::to_string(refused.needed) +
                                " bytes of memory, but" + elsewhere + " this process can use only " +
                                std::to_string(room) + " more bytes";
    PyErr_SetString(PyExc_MemoryError, message.c_str());
    throw PythonErrorSet{};
}

}  // namespace varnolt::walls
