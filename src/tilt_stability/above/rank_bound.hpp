#pragma once
// The largest rank a candidate of v can have whose wall passes over a point
// σ(β0, α0) or through it: the search for the walls over a point is finite
// for every v of rank >= 0 with a real β₋, irrational too.
#include <cstdint>
#include <expected>
#include <optional>
#include <string>

#include "chern_character/chern_character.hpp"
#include "tilt_stability/above/point.hpp"

namespace varnolt::tilt_stability::above {

// The ranks the walk by q (an irrational β₋) is allowed to visit when the
// bound comes from a point alone. The walk covers about 5·10^7 ranks a second
// on one core (measured: 21 s per 10^9 ranks), so this is about 35 minutes;
// a larger bound is refused up front, before any work, with the bound.
inline constexpr std::int64_t walkable_ranks = 100'000'000'000;
inline constexpr const char* walkable_ranks_text =
    "more than the 10^11 ranks (about half an hour) that a search with an irrational β₋ is let walk";

// Why no bound is given: the proven bound is beyond what can be searched.
struct BoundTooLarge {
    std::string bound;  // the proven bound, to three significant digits ("1.41e+300")
    bool beyond_int64;  // beyond the signed 64-bit range; else beyond walkable_ranks
};

// The rank bound the search uses for v over point: the smaller of the proven
// bound and max_rank, or none (v of negative rank: no proof, the search takes
// max_rank as it is). v must have a real β₋ and, for R > 0, the point must lie
// left of the vertical wall β = C/R; both denominators of the point positive.
// A proven bound above 2^63 − 1, or above walkable_ranks when `walked` (the
// walk by q, for an irrational β₋), with no smaller max_rank, is refused.
std::expected<std::optional<std::int64_t>, BoundTooLarge> rank_bound(const chern_character::ChernChar<2>& v,
                                                                     const Point& point,
                                                                     std::optional<std::int64_t> max_rank,
                                                                     bool walked);

}  // namespace varnolt::tilt_stability::above
