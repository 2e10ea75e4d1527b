#pragma once
// One value q = k/n of the candidates' twisted ch1: the admissible ranks and
// the one ch1 that gives each rank the twisted ch1 q.
#include <cstdint>

#include "tilt_stability/left_pseudo_semistabilizers/search_data.hpp"

namespace varnolt::tilt_stability::left_pseudo_semistabilizers::fixed_q_beta {

struct FixedQBetaData {
    const LeftSearchData& search;
    std::int64_t q_numer;  // k: q = k/n, 1 <= k <= X − 1

    // Appends the candidates of this q to out by increasing rank, then
    // increasing d, or returns the first message met (out may then hold part
    // of them).
    Outcome<void> append_candidates(RunSink& out) const;
    // The same candidates held as runs, or the first message.
    Outcome<CandidateRuns> find_all() const;
};

}  // namespace varnolt::tilt_stability::left_pseudo_semistabilizers::fixed_q_beta
