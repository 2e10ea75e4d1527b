#include "tilt_stability/left_pseudo_semistabilizers/left_pseudo_semistabilizers.hpp"

#include "tilt_stability/beta.hpp"
#include "tilt_stability/left_pseudo_semistabilizers/fixed_q_beta/fixed_q_beta.hpp"
#include "utils/checked.hpp"
#include "utils/stop.hpp"
#include "utils/utils.hpp"

namespace varnolt::tilt_stability::left_pseudo_semistabilizers {

Outcome<void> append_all(const ChernChar<2>& v, InterruptPoll& interrupt, RunSink& out) {
    const std::optional<Ratio> beta = β_(v);
    if (!beta) return std::unexpected("β_ is not rational: ∞ walls");
    const std::int64_t m = beta->numer;
    const std::int64_t n = beta->denom;

    // m modulo n, never negative.
    std::int64_t a = utils::guarded_rem(m, n);
    if (a < 0) a += utils::checked_abs(n);

    const LeftSearchData search{utils::modulo_inverse(a, n), v, *beta, interrupt};

    const std::int64_t x = search.x();
    for (std::int64_t k = 1; k < x; ++k) {
        interrupt.tick();
        const Outcome<void> appended = fixed_q_beta::FixedQBetaData{search, k}.append_candidates(out);
        if (!appended) return appended;
    }
    return {};
}

Outcome<CandidateRuns> find_all_runs(const ChernChar<2>& v, InterruptPoll& interrupt,
                                     CandidateLimit limit) {
    CandidateRuns found(std::move(limit));
    const Outcome<void> appended = append_all(v, interrupt, found);
    if (!appended) return std::unexpected(appended.error());
    return found;
}

Outcome<unsigned __int128> count_all(const ChernChar<2>& v, InterruptPoll& interrupt) {
    CandidateCount count;
    const Outcome<void> appended = append_all(v, interrupt, count);
    if (!appended) return std::unexpected(appended.error());
    return count.total();
}

Outcome<Candidates> find_all(const ChernChar<2>& v, InterruptPoll& interrupt) {
    const Outcome<CandidateRuns> found = find_all_runs(v, interrupt);
    if (!found) return std::unexpected(found.error());
    return found->expanded();
}

}  // namespace varnolt::tilt_stability::left_pseudo_semistabilizers
