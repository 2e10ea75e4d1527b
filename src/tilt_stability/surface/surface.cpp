#include "tilt_stability/surface/surface.hpp"

namespace varnolt::tilt_stability::surface {

namespace {

// Whether d ≡ c (mod 2); also right for negative values, as only the low bits differ.
bool same_parity(std::int64_t c, std::int64_t d) {
    return ((static_cast<std::uint64_t>(c) ^ static_cast<std::uint64_t>(d)) & 1U) == 0;
}

}  // namespace

bool on_lattice(Surface surface, const chern_character::ChernChar<2>& v) {
    return surface == Surface::half_integral_ch2 || same_parity(v.c.coeff, v.d.numerator);
}

// The run's d step by 1, so its ends move inward by at most one each; a run of
// one d of the wrong parity leaves nothing. Moving inward never leaves 64 bits.
void ProjectivePlaneRuns::append(const CandidateRun& run) {
    if (run.d_step != 1) {
        out_.append(run);  // already restricted
        return;
    }
    const bool first_kept = same_parity(run.c, run.d_first);
    const bool last_kept = same_parity(run.c, run.d_last);
    if (run.d_first == run.d_last && !first_kept) return;
    out_.append(CandidateRun(run.r, run.c, first_kept ? run.d_first : run.d_first + 1,
                             last_kept ? run.d_last : run.d_last - 1, 2));
}

}  // namespace varnolt::tilt_stability::surface
