#include "utils/ratio_rounding.hpp"

#include "primitives/checked.hpp"
#include "utils/isqrt.hpp"
#include "primitives/stop.hpp"

namespace varnolt::utils {

using ratio::Ratio;

std::int64_t least_greater_int(const Ratio& x) {
    if (x.denom == 1) return primitives::checked_add(x.numer, 1);
    const std::int64_t q = primitives::guarded_div(x.numer, x.denom);  // truncated toward zero
    return x.numer > 0 ? q + 1 : q;
}

std::int64_t greatest_lesser_or_eq_int(const Ratio& x) {
    if (x.denom == 1) return x.numer;
    const std::int64_t q = primitives::guarded_div(x.numer, x.denom);
    return x.numer > 0 ? q : q - 1;  // |q| < 2^63 - 1 here, as denom >= 2
}

std::optional<Ratio> checked_sqrt(const Ratio& x) {
    if (x.numer < 0 || x.denom < 0) return std::nullopt;
    const auto numer = static_cast<std::uint64_t>(x.numer);
    const auto denom = static_cast<std::uint64_t>(x.denom);
    const std::uint64_t s = sqrt(numer);
    const std::uint64_t t = sqrt(denom);
    // s, t <= 2^32 - 1 < 2^63, so the casts and the squares are exact.
    if (s * s != numer || t * t != denom) return std::nullopt;
    return Ratio::new_(static_cast<std::int64_t>(s), static_cast<std::int64_t>(t));
}

}  // namespace varnolt::utils
