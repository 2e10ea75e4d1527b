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

// What walls holds per candidate at its peak, while the columns are written:
// its row in the order found (24), what the order holds (40, see
// order_walls) and its part of the columns (row, offset and terms: 24 + 8 +
// 64). Less than the runs and the rows together, earlier.
constexpr std::size_t bytes_per_grouped_candidate = 24 + 40 + 96;

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

grouping::Row row_of(const ChernChar<2>& v) { return {v.r, v.c.coeff, v.d.numerator}; }

// The rows of runs, in order; the runs are emptied as they are read.
std::vector<grouping::Row> expanded_rows(CandidateRuns&& runs) {
    std::vector<grouping::Row> rows;
    rows.reserve(runs.size());
    for (const auto& run : runs.runs())
        search::for_each_d(run, [&](std::int64_t d) { rows.push_back({run.r, run.c, d}); });
    runs = CandidateRuns{};
    return rows;
}

FoundWalls grouped(const ChernChar<2>& v, std::vector<grouping::Row> rows, InterruptPoll& interrupt) {
    std::optional<grouping::WallOrder> order = grouping::order_walls(row_of(v), rows, interrupt);
    return {std::move(rows), std::move(order)};
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

Outcome<FoundWalls> candidate_walls(const SearchRequest& request) {
    MemoryBudget budget(bytes_per_grouped_candidate);
    return runs_within(budget, [&](search::CandidateLimit limit) {
        return without_lock(request, [&](InterruptPoll& interrupt) -> Outcome<FoundWalls> {
            CandidateRuns found(std::move(limit));
            const Outcome<void> appended = append_candidates(request, interrupt, found);
            if (!appended) return std::unexpected(appended.error());
            return grouped(request.v, expanded_rows(std::move(found)), interrupt);
        });
    });
}

FoundWalls walls_of_rows(const SearchRequest& request, std::vector<grouping::Row> rows) {
    MemoryBudget budget(bytes_per_grouped_candidate);
    if (!budget.search_limit().allows(rows.size())) budget.refuse(rows.size());
    return without_lock(request, [&](InterruptPoll& interrupt) { return grouped(request.v, std::move(rows), interrupt); });
}

}  // namespace varnolt::walls
