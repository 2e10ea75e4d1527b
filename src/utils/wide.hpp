#pragma once
// 128-bit integer helpers for the search's scaled bounds: the products of two
// 64-bit values always fit, and anything beyond raises ArithmeticOverflow.
#include <cstdint>

#include "utils/checked.hpp"

namespace varnolt::utils {

using wide = __int128;

inline wide checked_mul_wide(wide a, wide b) {
    wide product;
    if (__builtin_mul_overflow(a, b, &product)) overflow();
    return product;
}

inline wide checked_add_wide(wide a, wide b) {
    wide sum;
    if (__builtin_add_overflow(a, b, &sum)) overflow();
    return sum;
}

// floor(a / b) for b > 0, in 64-bit division when both fit (the usual case:
// a 128-bit division is several times slower).
inline wide floor_div_wide(wide a, wide b) {
    if (a >= INT64_MIN && a <= INT64_MAX && b <= INT64_MAX) {
        const auto a64 = static_cast<std::int64_t>(a);
        const auto b64 = static_cast<std::int64_t>(b);
        const std::int64_t q = a64 / b64;
        return (a64 % b64 < 0) ? q - 1 : q;
    }
    const wide q = a / b;
    return (a % b < 0) ? q - 1 : q;
}

// ceil(a / b) for b > 0.
inline wide ceil_div_wide(wide a, wide b) { return -floor_div_wide(-a, b); }

}  // namespace varnolt::utils
