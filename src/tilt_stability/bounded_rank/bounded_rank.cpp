#include "tilt_stability/bounded_rank/bounded_rank.hpp"

#include "tilt_stability/bounded_rank/walk_by_q.hpp"
#include "tilt_stability/left_pseudo_semistabilizers/left_pseudo_semistabilizers.hpp"

namespace varnolt::tilt_stability::bounded_rank {

Outcome<void> find_bounded_runs(const ChernChar<2>& v, std::int64_t max_rank, InterruptPoll& interrupt,
                                CandidateRuns& out) {
    if (v.r < 0) {
        // The unbounded search looks at β₋ first and ends at once on a negative
        // rank when any q exists, so it finds no candidate; take its verdict.
        const Outcome<CandidateRuns> found = left_pseudo_semistabilizers::find_all_runs(v, interrupt);
        if (!found) return std::unexpected(found.error());
        for (const CandidateRun& run : found->runs())
            if (run.r <= max_rank) out.append(run);
        return {};
    }
    const std::optional<ExactBeta> beta = exact_beta(v);
    if (!beta) return std::unexpected("β_ is not rational: ∞ walls");
    const BoundedSearchData search{v, *beta, max_rank, interrupt};
    // No q lies in (0, S) when the twisted ch1 S of v is not positive.
    if (quadratic::sign(search.scaled_twisted_v()) <= 0) return {};
    append_runs_by_q(search, out);
    return {};
}

}  // namespace varnolt::tilt_stability::bounded_rank
