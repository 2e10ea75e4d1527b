#include "varnolt_walls/core_calls.hpp"

#include <cstdint>
#include <utility>

#include "memory_budget.hpp"
#include "tilt_stability/interrupt.hpp"
#include "tilt_stability/left_pseudo_semistabilizers/left_pseudo_semistabilizers.hpp"
#include "varnolt_walls/released_lock.hpp"

namespace varnolt::walls {

namespace {

namespace search = tilt_stability::left_pseudo_semistabilizers;
using tilt_stability::InterruptPoll;

// What candidates holds per candidate at its peak: its row of three int64, and
// the search's runs, at worst one per candidate, until the rows are filled.
constexpr std::size_t bytes_per_candidate = 3 * sizeof(std::int64_t) + sizeof(search::CandidateRun);

// Runs search(interrupt) with the lock released. Everything the core throws
// (Interrupted, the candidate limit, overflow, stops, bad_alloc) unwinds
// through the lock's destructor, so the caller meets it with the lock held.
template <typename Search>
auto without_lock(Search&& search) {
    ReleasedLock lock;
    InterruptPoll interrupt{SignalCheck{lock}};
    return search(interrupt);
}

}  // namespace

Outcome<CandidateRuns> candidate_runs(const ChernChar<2>& v) {
    MemoryBudget budget(bytes_per_candidate);
    return runs_within(budget, [&](search::CandidateLimit limit) {
        return without_lock([&](InterruptPoll& interrupt) {
            return search::find_all_runs(v, interrupt, std::move(limit));
        });
    });
}

Outcome<unsigned __int128> candidate_count(const ChernChar<2>& v) {
    return without_lock([&](InterruptPoll& interrupt) { return search::count_all(v, interrupt); });
}

}  // namespace varnolt::walls
