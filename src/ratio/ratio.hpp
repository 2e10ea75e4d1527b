#pragma once
// Exact rational numbers: BasicRatio<T> over the signed integers T, and Ratio
// over signed 64-bit integers, whose arithmetic is below.
//
// Invariant of every value the operations below return: denom > 0 and
// gcd(|numer|, denom) = 1. Zero is 0/1 and an integral value has denom = 1, so
// two values are equal exactly when both fields are, and the sign of a value is
// the sign of its numerator.
//
// Overflow (Ratio): every sum, difference, product, negation and absolute value is
// checked and raises primitives::ArithmeticOverflow when it leaves the signed 64-bit
// range (an operation either returns the exact value or raises). Integer
// divisions are guarded and stop the call ("attempt to divide by zero",
// "attempt to divide with overflow"); a zero denominator stops with
// "denominator == 0". checked_div reports overflow as an empty optional.
#include <compare>
#include <cstdint>
#include <optional>

#include "ratio/gcd.hpp"

namespace varnolt::ratio {

// Greatest common divisor by binary_gcd on the magnitudes. Non-negative, except that |-2^63| has no 64-bit value: gcd(-2^63, 0)
// and gcd(0, -2^63) give the bit pattern of -2^63, and so does gcd(-2^63, -2^63).
std::int64_t gcd(std::int64_t a, std::int64_t b);

// Least common multiple |a * (b / gcd(a, b))|, 0 when both are 0; checked.
std::int64_t lcm(std::int64_t a, std::int64_t b);

enum class Ordering { Less, Equal, Greater };

template <typename T>
struct BasicRatio {
    T numer;
    T denom;

    // numer/denom in lowest terms with a positive denominator ("new" is a
    // keyword, hence the underscore). For Ratio, stops on a zero denominator;
    // for other T, denom must not be 0.
    static BasicRatio new_(T numer, T denom) {
        BasicRatio x{std::move(numer), std::move(denom)};
        x.reduce();
        return x;
    }
    static constexpr BasicRatio from_integer(T n) { return {std::move(n), T{1}}; }

    // Brings the fields to lowest terms with a positive denominator, in place.
    // Ratio's is checked (see above); for the other widths, both divided by the gcd of their magnitudes, then both negated when
    // denom < 0. For T other than std::int64_t, whose range is symmetric
    // enough here: −numer and −denom must fit.
    void reduce() {
        if (denom < T{0}) {
            numer = -numer;
            denom = -denom;
        }
        const bool negative = numer < T{0};
        const auto [n, d] = divided_by_gcd(magnitude_of(numer), magnitude_of(denom));
        numer = negative ? -T(n) : T(n);
        denom = T(d);
    }

    bool operator==(const BasicRatio&) const = default;
};

using Ratio = BasicRatio<std::int64_t>;
template <>
void Ratio::reduce();

// The order of two values in lowest terms: by their signs, then by the cross
// products of the magnitudes (compare_products: exact for every width).
template <typename T>
std::strong_ordering operator<=>(const BasicRatio<T>& x, const BasicRatio<T>& y) {
    const int sx = (x.numer > T{0}) - (x.numer < T{0}), sy = (y.numer > T{0}) - (y.numer < T{0});
    if (sx != sy || sx == 0) return sx <=> sy;
    const std::strong_ordering order = compare_products(magnitude_of(x.numer), magnitude_of(y.denom),
                                                        magnitude_of(y.numer), magnitude_of(x.denom));
    return sx > 0 ? order : 0 <=> order;
}

// Truncates toward zero: -7/2 gives -3.
std::int64_t to_integer(const Ratio& x);

// -x: negates the numerator only, which keeps lowest terms.
Ratio operator-(const Ratio& x);
// x + y and x - y over the least common multiple of the denominators.
Ratio add(const Ratio& x, const Ratio& y);
Ratio sub(const Ratio& x, const Ratio& y);
// x + k for an integer k: (numer + denom*k) / denom.
Ratio operator+(const Ratio& x, std::int64_t k);
// x * k: cancels gcd(denom, k) first, which keeps the product small.
Ratio mul(const Ratio& x, std::int64_t k);
// x / k: cancels gcd(numer, k) first. k = 0 stops ("denominator == 0", or
// "attempt to divide by zero" when x is 0 too).
Ratio div(const Ratio& x, std::int64_t k);
// x * y: cross-cancels before multiplying.
Ratio operator*(const Ratio& x, const Ratio& y);
// x^exponent: numerator and denominator raised apart, as a power of a
// fraction in lowest terms is in lowest terms (x^0 = 1/1). Raises
// ArithmeticOverflow when either power leaves 64 bits.
Ratio pow(const Ratio& x, unsigned exponent);

// x / y, or nothing when y is zero or the quotient does not fit.
std::optional<Ratio> checked_div(const Ratio& x, const Ratio& y);

// Exact order of two values without any multiplication, so it holds for pairs
// whose cross products exceed 64 bits.
Ordering cmp(const Ratio& x, const Ratio& y);

// The order of Ratio: by cmp, without products.
inline std::strong_ordering operator<=>(const Ratio& x, const Ratio& y) {
    switch (cmp(x, y)) {
        case Ordering::Less: return std::strong_ordering::less;
        case Ordering::Equal: return std::strong_ordering::equal;
        case Ordering::Greater: break;
    }
    return std::strong_ordering::greater;
}

inline Ratio operator+(const Ratio& x, const Ratio& y) { return add(x, y); }
inline Ratio operator-(const Ratio& x, const Ratio& y) { return sub(x, y); }

}  // namespace varnolt::ratio
