#pragma once
// The lattice of Chern characters a surface allows. The search lists the
// candidates of the lattice ch2 ∈ ½ℤ·ℓ² (d any integer), which is exact for a
// surface with ℓ² = 2. On the projective plane (ℓ² = 1) a class
// (r, c·ℓ, (d/2)·ℓ²) comes from a sheaf only when c₂ = c²/2 − d/2 is an
// integer, that is d ≡ c (mod 2): there every other d of a run is dropped.
#include <cstdint>

#include "chern_character/chern_character.hpp"
#include "tilt_stability/candidates/candidates.hpp"

namespace varnolt::tilt_stability::surface {

enum class Surface {
    half_integral_ch2,  // every integer d
    projective_plane,   // d ≡ c (mod 2)
};

// Whether v = (r, c, d) lies on the lattice of surface.
bool on_lattice(Surface surface, const chern_character::ChernChar<2>& v);

// Passes to out the part of each run on the projective plane's lattice: the d
// of c's parity, as a run of step 2 (nothing when the run holds none). The
// cost per run is constant, so a count stays in constant memory.
class ProjectivePlaneRuns final : public RunSink {
public:
    explicit ProjectivePlaneRuns(RunSink& out) : out_(out) {}
    void append(const CandidateRun& run) override;
    // The runs passed on keep their r and c, which the search's order reads.
    void order_by(const RunOrder& before) override { out_.order_by(before); }

private:
    RunSink& out_;
};

}  // namespace varnolt::tilt_stability::surface
