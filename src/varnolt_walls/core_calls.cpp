#include "varnolt_walls/core_calls.hpp"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <utility>

#include "boundary/memory_budget.hpp"
#include "tilt_stability/interrupt.hpp"
#include "varnolt_walls/released_lock.hpp"

namespace varnolt::walls {

using boundary::MemoryBudget;
using boundary::runs_within;

namespace {

using tilt_stability::InterruptPoll;

// What candidates holds per candidate at its peak: the search's runs, at
// worst one per candidate, and either the rows filled from them (24 bytes) or,
// while a search bounded by rank sorts its runs, a pointer and a copy of each.
constexpr std::size_t bytes_per_candidate =
    sizeof(tilt_stability::CandidateRun) + std::max(3 * sizeof(std::int64_t), sizeof(void*) + sizeof(tilt_stability::CandidateRun));

// What walls holds per candidate at its peak, while the columns are written:
// its row in the order found (24), what the order holds (16, see
// order_walls) and its part of the columns (row and offset: 24 + 8). Less
// than the runs and the rows together, earlier.
constexpr std::size_t bytes_per_grouped_candidate = 24 + 16 + 32;

// Runs search(interrupt) with the lock released, Ctrl-C and the call's
// progress callback polled. Everything the core throws (Interrupted, the
// candidate limit, stops, bad_alloc) reaches the caller with the lock held.
template <typename Search>
auto without_lock(const SearchCall& call, Search&& search) {
    return work_without_lock([&](ReleasedLock& lock) {
        InterruptPoll interrupt{std::function<bool(const tilt_stability::Progress&)>{
            SignalCheck{lock, call.progress}}};
        return search(interrupt);
    });
}

grouping::Row row_of(const ChernChar<2>& v) { return {v.r, v.c.coeff, v.d.numerator}; }

// The rows of runs, in order; the runs are emptied as they are read.
std::vector<grouping::Row> expanded_rows(CandidateRuns&& runs) {
    std::vector<grouping::Row> rows;
    rows.reserve(runs.size());
    for (const auto& run : runs.runs())
        tilt_stability::for_each_d(run, [&](std::int64_t d) { rows.push_back({run.r, run.c, d}); });
    runs = CandidateRuns{};
    return rows;
}

FoundWalls grouped(const ChernChar<2>& v, std::vector<grouping::Row> rows, InterruptPoll& interrupt) {
    grouping::WallOrder order = grouping::order_walls(row_of(v), rows, interrupt);
    return {std::move(rows), std::move(order)};
}

}  // namespace

SearchResult<CandidateRuns> candidate_runs(const SearchCall& call, memory::Reservation& reservation) {
    MemoryBudget budget(reservation, bytes_per_candidate, "holding them");
    SearchResult<CandidateRuns> found = runs_within(budget, [&](tilt_stability::CandidateLimit limit) {
        return without_lock(call, [&](InterruptPoll& interrupt) {
            return tilt_stability::find_runs(call.search, interrupt, std::move(limit));
        });
    });
    if (found) budget.settle(found->size());
    return found;
}

SearchResult<primitives::uwide> candidate_count(const SearchCall& call) {
    return without_lock(call, [&](InterruptPoll& interrupt) {
        return tilt_stability::count_candidates(call.search, interrupt);
    });
}

SearchResult<FoundWalls> candidate_walls(const SearchCall& call, memory::Reservation& reservation) {
    MemoryBudget budget(reservation, bytes_per_grouped_candidate, "holding them");
    return runs_within(budget, [&](tilt_stability::CandidateLimit limit) {
        return without_lock(call, [&](InterruptPoll& interrupt) -> SearchResult<FoundWalls> {
            SearchResult<CandidateRuns> runs = tilt_stability::find_runs(call.search, interrupt, std::move(limit));
            if (!runs) return std::unexpected(runs.error());
            budget.settle(runs->size());  // before the rows and the grouping are allocated
            return grouped(tilt_stability::lattice_v(call.search), expanded_rows(std::move(*runs)), interrupt);
        });
    });
}

void reserve_for_grouping(memory::Reservation& reservation, std::size_t rows) {
    MemoryBudget(reservation, bytes_per_grouped_candidate, "holding them").reserve(rows);
}

FoundWalls walls_of_rows(const SearchCall& call, std::vector<grouping::Row> rows) {
    return without_lock(call, [&](InterruptPoll& interrupt) {
        return grouped(call.search.v, std::move(rows), interrupt);
    });
}

}  // namespace varnolt::walls
