#include "tilt_stability/bounded_rank/bounded_rank.hpp"

#include "tilt_stability/beta.hpp"
#include "tilt_stability/bounded_rank/walk_by_q.hpp"
#include "tilt_stability/left_pseudo_semistabilizers/left_pseudo_semistabilizers.hpp"

namespace varnolt::tilt_stability::bounded_rank {

Outcome<void> find_bounded_runs(const ChernChar<2>& v, std::int64_t max_rank, InterruptPoll& interrupt,
                                RunSink& out) {
    // A rational β₋ (and any negative rank, where the search ends at its first
    // q) goes to the search with its rank ceiling: the same list without the
    // ranks above max_rank, and it visits none of them.
    if (v.r < 0 || β_(v)) {
        return left_pseudo_semistabilizers::append_all(v, interrupt, out,
                                                       {.rank_ceiling = max_rank});
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
