#pragma once
// The right walls of v of rank R > 0 from the left walls of its dual.
//
// The right walls of v = (R, C, D/2) are the mirror images β ↦ −β of the left
// walls of its dual (R, −C, D/2): the mirror maps σ(β, α) to σ(−β, α) and a
// class (r, c, d/2) to (r, −c, d/2), so ν and the walls of the dual are those
// of v seen in the mirror. Each candidate (r', c', d') of the dual gives the
// class (−r', c', −d') of v's right wall: its derived dual shifted by one,
// whose Chern character is that of the mirrored class negated. The rows are
// those classes, in the dual's search order.
#include "tilt_stability/candidates/candidates.hpp"

namespace varnolt::tilt_stability::side {

// Passes each run of the dual's search on as the run of the classes of v it
// gives: (−r', c', −d) for the same d in the same order (a run of negative
// step). Constant cost per run. The dual's order of runs is kept by reading
// the runs back through the mirror when the search orders them.
class MirroredRuns final : public RunSink {
public:
    explicit MirroredRuns(RunSink& out) : out_(out) {}
    void append(const CandidateRun& run) override;
    void order_by(const RunOrder& before) override;

private:
    RunSink& out_;
};

}  // namespace varnolt::tilt_stability::side
