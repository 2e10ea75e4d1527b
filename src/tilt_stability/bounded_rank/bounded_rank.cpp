#include "tilt_stability/bounded_rank/bounded_rank.hpp"

#include "tilt_stability/bounded_rank/walk_by_q.hpp"
#include "primitives/stop.hpp"

namespace varnolt::tilt_stability::bounded_rank {

void append_bounded_runs(const ChernChar<2>& v, std::int64_t max_rank, InterruptPoll& interrupt,
                         RunSink& out, std::int64_t c_modulus) {
    const std::optional<ExactBeta> beta = exact_beta(v);
    if (v.r <= 0 || !beta || beta->numer.radicand == 0)
        primitives::stop("the walk by q needs a positive rank and an irrational β₋");
    if (c_modulus < 1) primitives::stop("the walk by q needs a positive modulus of c");
    const BoundedSearchData search{v, *beta, max_rank, interrupt, c_modulus};
    // No q lies in (0, S) when the twisted ch1 S of v is not positive.
    if (quadratic::sign(search.scaled_twisted_v()) <= 0) return;
    append_runs_by_q(search, out);
}

}  // namespace varnolt::tilt_stability::bounded_rank
