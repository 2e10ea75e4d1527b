#pragma once
// The memory budget of one call of either module: its share of the memory
// this process can still allocate, promised by the process-wide ledger
// (memory/reservation.hpp) and raised in steps as the search finds more, so
// that searches running at once in several threads stay inside the memory
// together. A raise the ledger refuses stops the search; the call then raises
// MemoryError with the figures.
#include <cstddef>
#include <cstdint>
#include <optional>

#include "memory/reservation.hpp"
#include "tilt_stability/candidates/candidates.hpp"

namespace varnolt::boundary {

class MemoryBudget {
public:
    // Up to this many candidates the search runs without asking the ledger,
    // so that small calls never read the available memory (several files,
    // tens of microseconds each); they hold a few megabytes at most.
    static constexpr std::size_t unchecked_candidates = std::size_t{1} << 16;

    // bytes_per_candidate: what the call holds per candidate at its peak;
    // holding: how the refusal names what needs that memory ("a list of
    // them"). The reservation is the caller's, held until the result is built.
    MemoryBudget(memory::Reservation& reservation, std::size_t bytes_per_candidate, const char* holding)
        : reservation_(reservation), bytes_per_candidate_(bytes_per_candidate), holding_(holding) {}
    // The limit of search_limit refers to this object.
    MemoryBudget(const MemoryBudget&) = delete;
    MemoryBudget& operator=(const MemoryBudget&) = delete;

    // The search's limit: each time the search passes what the reservation
    // covers, the reservation is raised to cover a quarter more than the
    // count found (or as much as the ledger has room for, at least the count).
    tilt_stability::CandidateLimit search_limit();

    // Covers `count` candidates at once (the rows are given, no search);
    // MemoryError with the figures when the ledger refuses.
    void reserve(std::size_t count);

    // The search is over with `found` candidates: the promise shrinks to what
    // they need, before their result is allocated, so that other searches do
    // not find memory promised to a step this one never took.
    void settle(std::size_t found) noexcept;

    // Sets MemoryError saying that the search stopped after finding `found`
    // candidates, what they need, what the process could still use and what
    // other searches hold; then throws PythonErrorSet.
    [[noreturn]] void refuse(std::size_t found) const;

private:
    // The bytes `count` candidates need; at most UINT64_MAX.
    std::uint64_t bytes_for(std::size_t count) const;
    // The new limit for count, after raising the reservation; below count when refused.
    std::size_t raised_limit(std::size_t count);

    memory::Reservation& reservation_;
    std::size_t bytes_per_candidate_;
    const char* holding_;
    std::optional<memory::MemoryRefused> refused_;
};

// Hands what the allocator holds free back to the system, so the process does
// not stay as large as a refused search made it.
void release_free_memory() noexcept;

// Runs search(limit), a search that holds its runs under budget's limit, and
// turns its stop at the limit into the MemoryError of budget.refuse. Call with
// the interpreter lock held: the search itself may run without it.
template <typename Search>
auto runs_within(MemoryBudget& budget, Search&& search) {
    try {
        return search(budget.search_limit());
    } catch (const tilt_stability::CandidateLimitReached& reached) {
        // The runs are freed by now.
        release_free_memory();
        budget.refuse(reached.found());
    }
}

}  // namespace varnolt::boundary
