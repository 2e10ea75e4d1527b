#pragma once
// 128-bit integer helpers for the search's scaled bounds: the products of two
// 64-bit values always fit, and anything beyond raises ArithmeticOverflow.
#include <cstdint>

#include "utils/checked.hpp"
#include "utils/stop.hpp"

namespace varnolt::utils {

using wide = __int128;

inline __int128 checked_mul_wide(__int128 a, __int128 b) {
    __int128 product;
    if (__builtin_mul_overflow(a, b, &product)) overflow();
    return product;
}

inline __int128 checked_add_wide(__int128 a, __int128 b) {
    __int128 sum;
    if (__builtin_add_overflow(a, b, &sum)) overflow();
    return sum;
}

// floor(a / b) for b > 0, in 64-bit division when both fit (the usual case:
// a 128-bit division is several times slower).
inline __int128 floor_div_wide(__int128 a, __int128 b) {
    if (a >= INT64_MIN && a <= INT64_MAX && b <= INT64_MAX) {
        const auto a64 = static_cast<std::int64_t>(a);
        const auto b64 = static_cast<std::int64_t>(b);
        const std::int64_t q = a64 / b64;
        return (a64 % b64 < 0) ? q - 1 : q;
    }
    const __int128 q = a / b;
    return (a % b < 0) ? q - 1 : q;
}

// ceil(a / b) for b > 0.
inline __int128 ceil_div_wide(__int128 a, __int128 b) { return -floor_div_wide(-a, b); }

// The remainder of a modulo b that is never negative: 0 <= result < |b|. A
// zero divisor stops the call, as for guarded_rem. a is any product or sum of
// a few 64-bit values, so no 64-bit step can overflow on the way.
inline std::int64_t floor_mod(__int128 a, std::int64_t b) {
    if (b == 0) stop("attempt to calculate the remainder with a divisor of zero");
    const __int128 divisor = b < 0 ? -static_cast<__int128>(b) : b;
    __int128 remainder;
    if (a >= INT64_MIN && a <= INT64_MAX && divisor <= INT64_MAX)
        remainder = static_cast<std::int64_t>(a) % static_cast<std::int64_t>(divisor);
    else
        remainder = a % divisor;
    return static_cast<std::int64_t>(remainder < 0 ? remainder + divisor : remainder);
}

}  // namespace varnolt::utils
