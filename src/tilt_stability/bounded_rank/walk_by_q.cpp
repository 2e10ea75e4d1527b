#include "tilt_stability/bounded_rank/walk_by_q.hpp"

#include <algorithm>
#include <limits>
#include <new>
#include <vector>

#include "tilt_stability/bounded_rank/fixed_rank/fixed_c/fixed_c.hpp"
#include "tilt_stability/bounded_rank/fixed_rank/fixed_rank.hpp"

namespace varnolt::tilt_stability::bounded_rank {

namespace {

// The admissible c of one rank.
struct RankCoeffs {
    std::int64_t r;
    std::int64_t c_first;
    std::int64_t c_last;
};

// The walk's progress in "ranks of max_rank": the first half of the steps
// while the ranks are bounded, the second half spread evenly over the (r, c)
// pairs of the walk, one step per `pairs_per_step` pairs (a countdown, so the
// walk pays a decrement per pair).
class WalkProgress {
public:
    WalkProgress(InterruptPoll& interrupt, std::int64_t max_rank)
        : interrupt_(interrupt), total_(max_rank), half_(max_rank / 2) {}

    void rank_bounded(std::int64_t r) { interrupt_.report((r - 1) / 2, total_); }

    // The walk is about to visit every (r, c) of ranks.
    void walk_starts(const std::vector<RankCoeffs>& ranks) {
        uwide pairs = 0;
        for (const RankCoeffs& rank : ranks)
            pairs += static_cast<uwide>(static_cast<wide>(rank.c_last) - rank.c_first + 1);
        // ceil(pairs / steps) pairs per step, so the steps never run past the total.
        const auto steps = static_cast<uwide>(total_ - half_);
        const uwide per_step = steps == 0 ? 1 : (pairs + steps - 1) / steps;
        pairs_per_step_ = static_cast<std::int64_t>(std::min<uwide>(
            std::max<uwide>(per_step, 1), std::numeric_limits<std::int64_t>::max()));
        countdown_ = pairs_per_step_;
        done_ = half_;
        interrupt_.report(done_, total_);
    }

    void pair_walked() {
        if (--countdown_ > 0) return;
        countdown_ = pairs_per_step_;
        interrupt_.report(++done_, total_);
    }

    void finished() { interrupt_.report(total_, total_); }

private:
    InterruptPoll& interrupt_;
    std::int64_t total_;
    std::int64_t half_;
    std::int64_t done_ = 0;
    std::int64_t pairs_per_step_ = 1;
    std::int64_t countdown_ = 1;
};

}  // namespace

// The order without a merge. A rank's admissible c run from
// c_first = floor(r·β) + 1 upward, so its values of q are θ_r + j
// (j = 0, 1, ...) with θ_r = c_first − r·β in (0, 1]. For j1 < j2,
// θ1 + j1 <= j2 < θ2 + j2: a smaller j always comes first. So the order by q,
// then rank, is the order by j, then θ, then rank: sort the ranks once by
// (θ, r) and sweep j = 0, 1, ..., dropping each rank after its last c (the
// compaction keeps the sorted order). θ1 < θ2 exactly when
// t·(c1 − c2) − (r1 − r2)·B < 0 for β = B/t: one surd and one sign test. For
// irrational β distinct ranks never share a θ (c1 − c2 = (r1 − r2)·β forces
// r1 = r2); for rational β equal θ go by rank.
//
// Cost: R rank bounds, O(R·log R) comparisons for the sort, then O(1) exact
// work for each of the Σ w_r admissible (r, c), w_r < S + 1: O(R·log R + R·w)
// cheap exact steps, plus one run per (r, c) that has candidates; one
// RankCoeffs per rank in memory.
void append_runs_by_q(const BoundedSearchData& search, RunSink& out) {
    WalkProgress progress(search.interrupt, search.max_rank);
    std::vector<RankCoeffs> ranks;
    // Room for every rank, taken at once: a bound whose records the system
    // cannot give fails here with bad_alloc (MemoryError), instead of after
    // hours of filling a growing vector. Pages are only touched as they fill.
    const auto room = static_cast<std::uint64_t>(std::max<std::int64_t>(search.max_rank, 0));
    if (room > ranks.max_size()) throw std::bad_alloc();
    ranks.reserve(static_cast<std::size_t>(room));
    for (std::int64_t r = 1; r <= search.max_rank; ++r) {
        progress.rank_bounded(r);
        search.interrupt.tick();
        if (const auto range = fixed_rank::FixedRankData{search, r}.admissible_c())
            ranks.push_back({r, range->first, range->last});
    }
    const wide t = search.t();
    const Surd& b = search.beta.numer;
    std::sort(ranks.begin(), ranks.end(), [&](const RankCoeffs& x, const RankCoeffs& y) {
        search.interrupt.tick();
        const Surd theta_difference =
            Surd{utils::checked_mul<wide>(t, wide{x.c_first} - y.c_first), 0, b.radicand} -
            b * (wide{x.r} - y.r);
        const int order = quadratic::sign(theta_difference);
        return order != 0 ? order < 0 : x.r < y.r;
    });
    progress.walk_starts(ranks);
    for (std::int64_t j = 0; !ranks.empty(); ++j) {
        std::size_t kept = 0;
        for (const RankCoeffs& rank : ranks) {
            search.interrupt.tick();
            const std::int64_t c = rank.c_first + j;  // <= c_last
            const fixed_rank::FixedRankData fixed_rank{search, rank.r};
            if (const auto run = fixed_rank::fixed_c::FixedCoeffData{fixed_rank, c}.run()) out.append(*run);
            if (c < rank.c_last) ranks[kept++] = rank;
            progress.pair_walked();
        }
        ranks.resize(kept);
    }
    progress.finished();
}

}  // namespace varnolt::tilt_stability::bounded_rank
