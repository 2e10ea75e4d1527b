#pragma once
// One candidate rank r: the ch1 coefficients c whose twisted ch1 q = c − r·β
// is admissible.
#include <cstdint>
#include <optional>

#include "tilt_stability/bounded_rank/search_data.hpp"

namespace varnolt::tilt_stability::bounded_rank::fixed_rank {

// The integers first, first + 1, ..., last.
struct CoeffRange {
    std::int64_t first;
    std::int64_t last;
};

struct FixedRankData {
    const BoundedSearchData& search;
    std::int64_t r;  // >= 1

    // The c with 0 < q < S and v.r·q < r·S (S the twisted ch1 of v, > 0), in
    // increasing order of c and so of q; nothing when there is none. Raises
    // ArithmeticOverflow when a bound does not fit in 64 bits.
    std::optional<CoeffRange> admissible_c() const;
};

}  // namespace varnolt::tilt_stability::bounded_rank::fixed_rank
