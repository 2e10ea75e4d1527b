#pragma once
// The memory a search result may take. The limit the search gets is a count of
// candidates: what this process can still allocate (memory/available_memory)
// divided by what the caller will hold per candidate at its peak. A search
// that would pass it is refused with a MemoryError that gives the numbers.
#include <cstddef>
#include <cstdint>

#include "tilt_stability/candidates/candidates.hpp"

namespace varnolt::boundary {

// How many candidates of bytes_per_candidate fit in available bytes; never
// more than a Python list can hold.
std::size_t candidate_limit(std::uint64_t available, std::size_t bytes_per_candidate);

class MemoryBudget {
public:
    // Up to this many candidates the search runs without a limit, so that
    // small calls never pay for reading the available memory (several files,
    // tens of microseconds each). Their list takes a few megabytes at most;
    // should even that fail to fit, creating it raises MemoryError as usual.
    static constexpr std::size_t unchecked_candidates = std::size_t{1} << 16;

    explicit MemoryBudget(std::size_t bytes_per_candidate)
        : bytes_per_candidate_(bytes_per_candidate) {}
    // The limit of search_limit refers to this object.
    MemoryBudget(const MemoryBudget&) = delete;
    MemoryBudget& operator=(const MemoryBudget&) = delete;

    // The search's limit: the available memory is read once, when the search
    // first finds more than unchecked_candidates. It refers to this object.
    tilt_stability::CandidateLimit search_limit();

    // Sets MemoryError saying that the search stopped after finding `found`
    // candidates, what a list of them needs and what is available; then
    // throws PythonErrorSet.
    [[noreturn]] void refuse(std::size_t found) const;

private:
    std::size_t bytes_per_candidate_;
    std::uint64_t available_ = 0;  // read by search_limit's function
};

// Hands what the allocator holds free back to the system, so the process does
// not stay as large as a refused search made it.
void release_free_memory() noexcept;

// Runs search(limit), a search that holds its runs under budget's limit, and
// turns its stop at the limit into the MemoryError of budget.refuse. Call with
// the interpreter lock held: the search itself may run without it. Budget is
// MemoryBudget or another with search_limit() and refuse(found).
template <typename Budget, typename Search>
auto runs_within(Budget& budget, Search&& search) {
    try {
        return search(budget.search_limit());
    } catch (const tilt_stability::CandidateLimitReached& reached) {
        // The runs are freed by now.
        release_free_memory();
        budget.refuse(reached.found());
    }
}

}  // namespace varnolt::boundary
