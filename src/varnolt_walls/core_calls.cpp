#include "varnolt_walls/core_calls.hpp"

#include <cstdint>
#include <functional>
#include <utility>

#include "memory_budget.hpp"
#include "tilt_stability/bounded_rank/bounded_rank.hpp"
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

// Runs search(interrupt) with the lock released, Ctrl-C and the request's
// progress callback polled. Everything the core throws (Interrupted, the
// candidate limit, overflow, stops, bad_alloc) unwinds through the lock's
// destructor, so the caller meets it with the lock held.
template <typename Search>
auto without_lock(const SearchRequest& request, Search&& search) {
    ReleasedLock lock;
    InterruptPoll interrupt{std::function<bool(const tilt_stability::Progress&)>{
        SignalCheck{lock, request.progress}}};
    return search(interrupt);
}

// Hands the candidates of v on the half-integral lattice to out: every one, or
// those of rank at most max_rank (the only search there is for an irrational β₋).
Outcome<void> append_lattice_candidates(const SearchRequest& request, InterruptPoll& interrupt,
                                        search::RunSink& out) {
    if (request.max_rank)
        return tilt_stability::bounded_rank::find_bounded_runs(request.v, *request.max_rank,
                                                               interrupt, out);
    return search::append_all(request.v, interrupt, out);
}

// The same, restricted to the request's surface.
Outcome<void> append_candidates(const SearchRequest& request, InterruptPoll& interrupt,
                                search::RunSink& out) {
    if (request.surface == tilt_stability::surface::Surface::projective_plane) {
        tilt_stability::surface::ProjectivePlaneRuns restricted(out);
        return append_lattice_candidates(request, interrupt, restricted);
    }
    return append_lattice_candidates(request, interrupt, out);
}

}  // namespace

Outcome<CandidateRuns> candidate_runs(const SearchRequest& request) {
    MemoryBudget budget(bytes_per_candidate);
    return runs_within(budget, [&](search::CandidateLimit limit) {
        return without_lock(request, [&](InterruptPoll& interrupt) -> Outcome<CandidateRuns> {
            CandidateRuns found(std::move(limit));
            const Outcome<void> appended = append_candidates(request, interrupt, found);
            if (!appended) return std::unexpected(appended.error());
            return found;
        });
    });
}

Outcome<utils::uwide> candidate_count(const SearchRequest& request) {
    return without_lock(request, [&](InterruptPoll& interrupt) -> Outcome<utils::uwide> {
        search::CandidateCount count;
        const Outcome<void> appended = append_candidates(request, interrupt, count);
        if (!appended) return std::unexpected(appended.error());
        return count.total();
    });
}

}  // namespace varnolt::walls
