#include "tilt_stability/bounded_rank/rank_ranges.hpp"

#include "utils/checked.hpp"
#include "utils/isqrt.hpp"
#include "utils/rounding.hpp"

namespace varnolt::tilt_stability::bounded_rank {

RootMultiples::RootMultiples(wide discriminant)
    : discriminant_(discriminant), step_(static_cast<wide>(utils::isqrt(static_cast<uwide>(discriminant)))) {}

void RootMultiples::next() {
    k_ = utils::checked_add<wide>(k_, 1);
    const wide larger = utils::checked_add<wide>(floor_, step_ + 1);
    const wide bound = utils::checked_mul<wide>(utils::checked_mul<wide>(k_, k_), discriminant_);
    floor_ = utils::checked_mul<wide>(larger, larger) <= bound ? larger : larger - 1;
}

RankRanges::RankRanges(const BoundedSearchData& search)
    : search_(search), ahead_(search.beta.numer.radicand), behind_(search.beta.numer.radicand) {}

std::optional<fixed_rank::CoeffRange> RankRanges::of_rank(std::int64_t r) {
    const std::int64_t t = search_.t();
    ahead_.next();
    if (r > t) behind_.next();
    if (r < t) return fixed_rank::FixedRankData{search_, r}.admissible_c();
    const wide r_c = utils::checked_mul<wide>(r, search_.v.c.coeff);
    const wide first = utils::floor_div(utils::checked_sub<wide>(r_c, ahead_.floor() + 1), t) + 1;
    const wide last = utils::ceil_div(utils::checked_sub<wide>(r_c, behind_.floor()), t) - 1;
    if (first > last) return std::nullopt;
    return fixed_rank::CoeffRange{utils::narrow(first), utils::narrow(last)};
}

}  // namespace varnolt::tilt_stability::bounded_rank
