#pragma once
// Exact rational numbers over signed 64-bit integers.
//
// Invariant of every value the operations below return: denom > 0 and
// gcd(|numer|, denom) = 1. Zero is 0/1 and an integral value has denom = 1, so
// two values are equal exactly when both fields are, and the sign of a value is
// the sign of its numerator.
//
// Overflow: every sum, difference, product, negation and absolute value is
// checked and raises primitives::ArithmeticOverflow when it leaves the signed 64-bit
// range (an operation either returns the exact value or raises). Integer
// divisions are guarded and stop the call ("attempt to divide by zero",
// "attempt to divide with overflow"); a zero denominator stops with
// "denominator == 0". checked_div reports overflow as an empty optional.
#include <compare>
#include <cstdint>
#include <optional>

namespace varnolt::ratio {

// Greatest common divisor by Stein's binary method (shifts and subtractions
// only). Non-negative, except that |-2^63| has no 64-bit value: gcd(-2^63, 0)
// and gcd(0, -2^63) give the bit pattern of -2^63, and so does gcd(-2^63, -2^63).
std::int64_t gcd(std::int64_t a, std::int64_t b);

// Least common multiple |a * (b / gcd(a, b))|, 0 when both are 0; checked.
std::int64_t lcm(std::int64_t a, std::int64_t b);

enum class Ordering { Less, Equal, Greater };

struct Ratio {
    std::int64_t numer;
    std::int64_t denom;

    // numer/denom in lowest terms with a positive denominator ("new" is a
    // keyword, hence the underscore). Stops on a zero denominator.
    static Ratio new_(std::int64_t numer, std::int64_t denom);
    static constexpr Ratio from_integer(std::int64_t n) { return {n, 1}; }

    // Brings the fields to lowest terms with a positive denominator, in place.
    void reduce();

    bool operator==(const Ratio&) const = default;
};

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

// x / y, or nothing when y is zero or the quotient does not fit.
std::optional<Ratio> checked_div(const Ratio& x, const Ratio& y);

// Exact order of two values without any multiplication, so it holds for pairs
// whose cross products exceed 64 bits.
Ordering cmp(const Ratio& x, const Ratio& y);

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
