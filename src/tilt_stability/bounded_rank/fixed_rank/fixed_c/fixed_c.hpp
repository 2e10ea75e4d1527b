#pragma once
// One candidate rank r and ch1 coefficient c: the ch2 values d/2 between the
// radius condition's lower bound and the least upper bound that applies.
#include <cstdint>
#include <optional>

#include "tilt_stability/bounded_rank/fixed_rank/fixed_rank.hpp"

namespace varnolt::tilt_stability::bounded_rank::fixed_rank::fixed_c {

struct FixedCoeffData {
    const FixedRankData& rank;
    std::int64_t c;  // admissible: 0 < q < S, v.r·q < r·S

    // The run (r, c, d) for every d with L < d/2 <= L + min(caps), where
    // L = r·β²/2 + β·q and the caps on the twisted ch2 are q²/(2r), then
    // δ²/(2(r − v.r)) when r > v.r and δ·q/(v.r − 2r) when 2r < v.r, with
    // δ = S − q. Nothing when no d qualifies. Raises ArithmeticOverflow when a
    // value it needs leaves the range the surds hold.
    std::optional<CandidateRun> run() const;
};

}  // namespace varnolt::tilt_stability::bounded_rank::fixed_rank::fixed_c
