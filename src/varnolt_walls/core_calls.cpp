#include "varnolt_walls/core_calls.hpp"

#include "tilt_stability/interrupt.hpp"
#include "tilt_stability/left_pseudo_semistabilizers/left_pseudo_semistabilizers.hpp"
#include "varnolt_walls/released_lock.hpp"

namespace varnolt::walls {

namespace {

namespace search = tilt_stability::left_pseudo_semistabilizers;
using tilt_stability::InterruptPoll;

// Runs search(interrupt) with the lock released. Everything the core throws
// (Interrupted, overflow, stops, bad_alloc) unwinds through the lock's
// destructor, so the call guard meets it with the lock held.
template <typename Search>
auto without_lock(Search&& search) {
    ReleasedLock lock;
    InterruptPoll interrupt{SignalCheck{lock}};
    return search(interrupt);
}

}  // namespace

Outcome<CandidateRuns> candidate_runs(const ChernChar<2>& v) {
    return without_lock([&](InterruptPoll& interrupt) { return search::find_all_runs(v, interrupt); });
}

Outcome<std::size_t> candidate_count(const ChernChar<2>& v) {
    return without_lock([&](InterruptPoll& interrupt) -> Outcome<std::size_t> {
        const Outcome<CandidateRuns> runs = search::find_all_runs(v, interrupt);
        if (!runs) return std::unexpected(runs.error());
        return runs->size();
    });
}

}  // namespace varnolt::walls
