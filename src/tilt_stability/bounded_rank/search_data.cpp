#include "tilt_stability/bounded_rank/search_data.hpp"

#include "tilt_stability/beta.hpp"
#include "primitives/checked.hpp"

namespace varnolt::tilt_stability::bounded_rank {

std::optional<ExactBeta> exact_beta(const ChernChar<2>& v) {
    if (const std::optional<ratio::Ratio> rational = β_(v))
        return ExactBeta{Surd{rational->numer, 0, 0}, rational->denom};
    if (v.r <= 0) return std::nullopt;  // rank 0 with c = 0; negative ranks are not searched here
    // β_ has already checked that Δ fits in 64 bits and is not a perfect square.
    const std::int64_t discriminant = primitives::narrow(chern_character::discriminant(v));
    if (discriminant < 0) return std::nullopt;
    return ExactBeta{Surd{v.c.coeff, -1, discriminant}, v.r};
}

Surd BoundedSearchData::scaled_twisted_v() const { return scaled_q(v.r, v.c.coeff); }

Surd BoundedSearchData::scaled_q(std::int64_t r, std::int64_t c) const {
    const Surd scaled_c{primitives::checked_mul<wide>(c, t()), 0, beta.numer.radicand};
    return scaled_c - beta.numer * wide{r};
}

}  // namespace varnolt::tilt_stability::bounded_rank
