#pragma once
// Integer division rounded down or up, and the remainder that is never
// negative: the one floor/ceil family of the core, exact in 128 bits. (A
// Ratio's floor is utils::greatest_lesser_or_eq_int; a surd's,
// quadratic::floor_div.)
#include <cstdint>

#include "primitives/int128.hpp"
#include "primitives/stop.hpp"

namespace varnolt::utils {

// floor(a / b) for b > 0, in 64-bit division when both fit (the usual case:
// a 128-bit division is several times slower).
inline primitives::wide floor_div(primitives::wide a, primitives::wide b) {
    if (a >= INT64_MIN && a <= INT64_MAX && b <= INT64_MAX) {
        const auto a64 = static_cast<std::int64_t>(a);
        const auto b64 = static_cast<std::int64_t>(b);
        const std::int64_t q = a64 / b64;
        return (a64 % b64 < 0) ? q - 1 : q;
    }
    const primitives::wide q = a / b;
    return (a % b < 0) ? q - 1 : q;
}

// ceil(a / b) for b > 0.
inline primitives::wide ceil_div(primitives::wide a, primitives::wide b) { return -floor_div(-a, b); }

// The remainder of a modulo b that is never negative: 0 <= result < |b|. A
// zero divisor stops the call, as for guarded_rem. a is any product or sum of
// a few 64-bit values, so no 64-bit step can overflow on the way.
inline std::int64_t floor_mod(primitives::wide a, std::int64_t b) {
    if (b == 0) primitives::stop("attempt to calculate the remainder with a divisor of zero");
    const primitives::wide divisor = b < 0 ? -static_cast<primitives::wide>(b) : b;
    primitives::wide remainder;
    if (a >= INT64_MIN && a <= INT64_MAX && divisor <= INT64_MAX)
        remainder = static_cast<std::int64_t>(a) % static_cast<std::int64_t>(divisor);
    else
        remainder = a % divisor;
    return static_cast<std::int64_t>(remainder < 0 ? remainder + divisor : remainder);
}

}  // namespace varnolt::utils
