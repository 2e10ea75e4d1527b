#pragma once
// Overflow-reporting sums, differences and products without the compiler's
// __builtin_*_overflow (MSVC), for the built-in integers of at most 64 bits
// and the portable 128-bit classes: primitives/int128.hpp uses these wherever it
// uses those classes. Each returns whether the exact result leaves the range
// of its type; when it does not, result holds it.
#include <concepts>

#include "primitives/portable_int128.hpp"

namespace varnolt::primitives::portable {

using Signed128 = Int128<true>;
using Unsigned128 = Int128<false>;

// Whether the exact value leaves T; result takes its low bits.
template <std::integral T>
bool narrows(Signed128 exact, T& result) {
    result = static_cast<T>(exact);
    return Signed128(result) != exact;
}

// Up to 64 bits, the exact result is a 128-bit one (a product of two unsigned
// 64-bit values may wrap there, but then to a negative value, which no T holds).
template <std::integral T>
bool add_overflows(T a, T b, T& result) {
    return narrows(Signed128(a) + Signed128(b), result);
}
template <std::integral T>
bool sub_overflows(T a, T b, T& result) {
    return narrows(Signed128(a) - Signed128(b), result);
}
template <std::integral T>
bool mul_overflows(T a, T b, T& result) {
    return narrows(Signed128(a) * Signed128(b), result);
}

// The wrapped signed sum (difference) left the range exactly when a and b
// have the same (opposite) signs and the result has the other sign than a.
inline bool add_overflows(Signed128 a, Signed128 b, Signed128& result) {
    result = a + b;
    return a.negative() == b.negative() && result.negative() != a.negative();
}
inline bool sub_overflows(Signed128 a, Signed128 b, Signed128& result) {
    result = a - b;
    return a.negative() != b.negative() && result.negative() != a.negative();
}

// |a|·|b| left the range when it exceeds 2^127 − 1, or 2^127 for a negative
// product; compared as |a| > limit / |b|.
inline bool mul_overflows(Signed128 a, Signed128 b, Signed128& result) {
    result = a * b;
    const auto magnitude = [](Signed128 x) { return x.negative() ? Unsigned128(0) - Unsigned128(x) : Unsigned128(x); };
    const Unsigned128 a_size = magnitude(a), b_size = magnitude(b);
    if (!a_size || !b_size) return false;
    const Unsigned128 limit = (Unsigned128(1) << 127) - Unsigned128(a.negative() == b.negative() ? 1 : 0);
    return a_size > limit / b_size;
}

inline bool add_overflows(Unsigned128 a, Unsigned128 b, Unsigned128& result) {
    result = a + b;
    return result < a;
}
inline bool sub_overflows(Unsigned128 a, Unsigned128 b, Unsigned128& result) {
    result = a - b;
    return a < b;
}
inline bool mul_overflows(Unsigned128 a, Unsigned128 b, Unsigned128& result) {
    result = a * b;
    return a && b > ~Unsigned128(0) / a;
}

}  // namespace varnolt::primitives::portable
