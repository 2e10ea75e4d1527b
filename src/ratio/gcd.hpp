#pragma once
// What the rational types need of their integers, for the 64-bit and 128-bit
// widths: the magnitude as an unsigned value, one greatest common divisor,
// the lowest terms of two magnitudes and the order of two products of
// magnitudes. An integer class of any size takes part through the same
// names found beside it (magnitude_of, countr_zero, compare_products, and its
// operators): utils::BigInt does.
#include <algorithm>
#include <bit>
#include <compare>
#include <cstdint>
#include <limits>
#include <utility>

#include "primitives/int128.hpp"

namespace varnolt::ratio {

using primitives::uwide;
using primitives::wide;

// |x| as an unsigned value of the same width: exact for every x, −2^63 and
// −2^127 included.
inline std::uint64_t magnitude_of(std::int64_t x) {
    return x < 0 ? 0 - static_cast<std::uint64_t>(x) : static_cast<std::uint64_t>(x);
}
inline uwide magnitude_of(wide x) { return x < 0 ? uwide{0} - static_cast<uwide>(x) : static_cast<uwide>(x); }

inline int countr_zero(std::uint64_t x) { return std::countr_zero(x); }
inline int countr_zero(uwide x) {
    const auto low = static_cast<std::uint64_t>(x);
    return low != 0 ? std::countr_zero(low) : 64 + std::countr_zero(static_cast<std::uint64_t>(x >> 64));
}

// gcd(a, b) by Stein's binary method (shifts and subtractions), after one
// division that brings the larger value below the smaller: the values are
// often of very different sizes (a numerator against a small denominator).
// gcd(a, 0) = a.
template <typename Unsigned>
Unsigned binary_gcd(Unsigned a, Unsigned b) {
    if (a < b) std::swap(a, b);
    if (b == Unsigned{0}) return a;
    a %= b;
    if (a == Unsigned{0}) return b;
    const int shift = std::min(countr_zero(a), countr_zero(b));
    a >>= countr_zero(a);
    do {
        // min and max rather than a swap: no branch to mispredict.
        b >>= countr_zero(b);
        Unsigned smaller = std::min(a, b);
        b = std::max(a, b) - smaller;
        a = std::move(smaller);
    } while (b != Unsigned{0});
    return a << shift;
}

// a/g and b/g for g = gcd(a, b) (b > 0).
template <typename Unsigned>
std::pair<Unsigned, Unsigned> divided_by_gcd(const Unsigned& a, const Unsigned& b) {
    const Unsigned g = binary_gcd(a, b);
    return {a / g, b / g};
}

// The same in 64-bit steps when both values fit: a 128-bit division or gcd
// step costs several times more.
template <>
inline std::pair<uwide, uwide> divided_by_gcd(const uwide& a, const uwide& b) {
    constexpr uwide max_u64 = std::numeric_limits<std::uint64_t>::max();
    if (a <= max_u64 && b <= max_u64) {
        const auto [x, y] = divided_by_gcd(static_cast<std::uint64_t>(a), static_cast<std::uint64_t>(b));
        return {x, y};
    }
    const uwide g = binary_gcd(a, b);
    return {a / g, b / g};
}

// a·b <=> c·d, exactly.
inline std::strong_ordering compare_products(std::uint64_t a, std::uint64_t b, std::uint64_t c, std::uint64_t d) {
    return uwide{a} * b <=> uwide{c} * d;
}
// In 128 bits when the four values fit in 64, else as 256-bit products.
std::strong_ordering compare_products(uwide a, uwide b, uwide c, uwide d);

}  // namespace varnolt::ratio
