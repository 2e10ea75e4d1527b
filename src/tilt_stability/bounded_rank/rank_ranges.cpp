#include "tilt_stability/bounded_rank/rank_ranges.hpp"

#include "primitives/checked.hpp"
#include "utils/isqrt.hpp"
#include "utils/rounding.hpp"

namespace varnolt::tilt_stability::bounded_rank {

namespace {

// Whether (max_k + 2)²·Δ < 2^62, for 0 <= max_k < 2^63 and 0 <= Δ < 2^127.
bool fits_64(wide discriminant, std::int64_t max_k) {
    const wide k = wide{max_k} + 2;
    const wide limit = wide{1} << 62;
    return k < (wide{1} << 31) && discriminant < limit / (k * k);
}

}  // namespace

RootMultiples::RootMultiples(wide discriminant, std::int64_t max_k)
    : discriminant_(discriminant),
      step_(static_cast<wide>(utils::isqrt(static_cast<uwide>(discriminant)))),
      small_(fits_64(discriminant, max_k)) {}

void RootMultiples::next() {
    if (small_) {
        const auto k = static_cast<std::int64_t>(k_) + 1;
        const auto larger = static_cast<std::int64_t>(floor_ + step_) + 1;
        k_ = k;
        floor_ = larger * larger <= k * k * static_cast<std::int64_t>(discriminant_) ? larger : larger - 1;
        return;
    }
    k_ = primitives::checked_add<wide>(k_, 1);
    const wide larger = primitives::checked_add<wide>(floor_, step_ + 1);
    const wide bound = primitives::checked_mul<wide>(primitives::checked_mul<wide>(k_, k_), discriminant_);
    floor_ = primitives::checked_mul<wide>(larger, larger) <= bound ? larger : larger - 1;
}

RankRanges::RankRanges(const BoundedSearchData& search)
    : search_(search),
      ahead_(search.beta.numer.radicand, search.max_rank),
      behind_(search.beta.numer.radicand, search.max_rank) {}

std::optional<fixed_rank::CoeffRange> RankRanges::of_rank(std::int64_t r) {
    const std::int64_t t = search_.t();
    ahead_.next();
    if (r > t) behind_.next();
    if (r < t) return fixed_rank::FixedRankData{search_, r}.admissible_c();
    const wide r_c = primitives::checked_mul<wide>(r, search_.v.c.coeff);
    // No division for t = 1, the rank of most v searched (ideal sheaves of points).
    const auto floor_by_t = [t](wide x) { return t == 1 ? x : utils::floor_div(x, t); };
    const wide first = floor_by_t(primitives::checked_sub<wide>(r_c, ahead_.floor() + 1)) + 1;
    const wide last = -floor_by_t(primitives::checked_sub<wide>(behind_.floor(), r_c)) - 1;
    if (first > last) return std::nullopt;
    return fixed_rank::CoeffRange{primitives::narrow(first), primitives::narrow(last)};
}

}  // namespace varnolt::tilt_stability::bounded_rank
