#include "tilt_stability/side/mirrored_runs.hpp"

#include "primitives/checked.hpp"

namespace varnolt::tilt_stability::side {

namespace {

// (r, c, d) ↦ (−r, c, −d) for each d of the run, in its order: its own inverse.
// Negation overflows only for −2^63, which checked_neg refuses.
CandidateRun mirror(const CandidateRun& run) {
    return CandidateRun(primitives::checked_neg(run.r), run.c, primitives::checked_neg(run.d_first),
                        primitives::checked_neg(run.d_last), primitives::checked_neg(run.d_step));
}

}  // namespace

void MirroredRuns::append(const CandidateRun& run) { out_.append(mirror(run)); }

void MirroredRuns::order_by(const RunOrder& before) {
    out_.order_by([&](const CandidateRun& x, const CandidateRun& y) { return before(mirror(x), mirror(y)); });
}

}  // namespace varnolt::tilt_stability::side
