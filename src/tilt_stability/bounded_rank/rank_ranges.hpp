#pragma once
// The admissible c of the ranks 1, 2, 3, ... in turn, for an irrational β:
// the same ranges as FixedRankData::admissible_c, each from the last in a few
// integer steps instead of surd roundings.
#include <cstdint>
#include <optional>

#include "tilt_stability/bounded_rank/fixed_rank/fixed_rank.hpp"

namespace varnolt::tilt_stability::bounded_rank {

// floor(k·√Δ) for k = 0, 1, 2, ... in turn. From k·√Δ in [s, s + 1) and √Δ
// in [a, a + 1), a = floor(√Δ), (k + 1)·√Δ lies in [s + a, s + a + 2): the
// next value is s + a + 1 exactly when (s + a + 1)² <= (k + 1)²·Δ, else
// s + a. Raises ArithmeticOverflow when (k + 1)²·Δ leaves 128 bits, as the
// surd rounding of k·√Δ does. When (max_k + 2)²·Δ < 2^62 for the largest k
// it will meet, every step fits in 64 bits and takes no overflow check:
// (s + a + 1)² <= ((k + 1)·√Δ + 1)² <= (k + 2)²·Δ.
class RootMultiples {
public:
    RootMultiples(wide discriminant, std::int64_t max_k);

    wide floor() const { return floor_; }  // floor(k·√Δ) of the current k
    void next();

private:
    wide discriminant_;
    wide step_;  // floor(√Δ)
    wide k_ = 0;
    wide floor_ = 0;
    bool small_;  // every step fits in 64 bits
};

// The ranges of ranks 1, 2, ... for β = (C − √Δ)/t with t = v.r >= 1. For
// r >= t, c runs from floor(r·β) + 1 to ceil(r·β + S) − 1 (S = √Δ), and with
// y irrational in (N, N + 1), N an integer, floor(y/t) = floor(N/t) and
// ceil(y/t) = ceil((N + 1)/t) (no multiple of t lies strictly inside), so:
//   first = floor((r·C − floor(r·√Δ) − 1)/t) + 1,
//   last  = ceil((r·C − floor((r − t)·√Δ))/t) − 1  (exact when r = t).
// For r < t the bound on q is r·S/t instead of S: those few ranks take
// FixedRankData::admissible_c.
class RankRanges {
public:
    explicit RankRanges(const BoundedSearchData& search);

    // The admissible c of rank r; call with r = 1, 2, ... in turn.
    std::optional<fixed_rank::CoeffRange> of_rank(std::int64_t r);

private:
    const BoundedSearchData& search_;
    RootMultiples ahead_;   // k = r
    RootMultiples behind_;  // k = r − t, from r = t on
};

}  // namespace varnolt::tilt_stability::bounded_rank
