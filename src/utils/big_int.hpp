#pragma once
// Signed integers of any size, for the rare exact values that leave 128 bits
// (the terms of a wall of rows near the ends of the 64-bit range) and the
// values that come from outside the 64-bit world (a point σ(β, α) given by
// exact rationals of any size). Not for hot loops: each value holds its
// digits on the heap.
//
// Invariant: sign and magnitude; the magnitude is held as base-2^64 limbs,
// least significant first, with no zero limb at the top (zero has no limbs
// and is never negative). Equal values therefore have equal fields.
//
// Every operation is exact: nothing wraps or overflows (only the allocator can
// fail, with std::bad_alloc). Division by zero throws std::domain_error.
#include <compare>
#include <concepts>
#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "primitives/int128.hpp"

namespace varnolt::utils {

class BigInt {
public:
    BigInt() = default;
    // Implicit, as between the built-in integers.
    template <std::integral I>
    BigInt(I value) : BigInt(static_cast<primitives::wide>(value)) {}
    BigInt(primitives::wide value);
    static BigInt from_wide(primitives::wide value) { return BigInt(value); }
    // The value (−1)^negative · Σ limbs[i]·2^(64·i).
    static BigInt from_limbs(bool negative, std::span<const std::uint64_t> limbs);
    // The two's complement integer of `bytes`, least significant byte first,
    // as int.to_bytes(n, "little", signed=True) writes it (empty: zero).
    static BigInt from_signed_bytes(std::span<const unsigned char> bytes);

    // −1, 0 or 1.
    int sign() const { return limbs_.empty() ? 0 : negative_ ? -1 : 1; }
    bool negative() const { return negative_; }
    // The magnitude's limbs, least significant first, none zero at the top.
    std::span<const std::uint64_t> limbs() const { return limbs_; }
    // The number of bits of the magnitude (0 for zero).
    std::int64_t bit_length() const;

    // The nearest double to the value, within a relative 2^-52 (the top 64
    // bits are kept, then rounded once); ±infinity beyond the double range.
    double to_double() const;
    // The value when it fits in the signed 128-bit range.
    bool fits_wide() const;
    primitives::wide to_wide() const;  // requires fits_wide()
    // Whether x lies in [−2^62, 2^62], and then its value: products of two
    // such values and their sums of three stay inside 128 bits.
    bool fits_62_bits() const { return bit_length() <= 62; }
    std::int64_t to_int64() const;  // only when fits_62_bits()

    // x = fraction · 2^exponent with |fraction| in [0.5, 1) (0 and 0 for zero):
    // the leading 64 bits exactly, the rest truncated, so any size converts.
    struct Scaled {
        long double fraction;
        std::int64_t exponent;
    };
    Scaled scaled() const;
    // ln |x| for x ≠ 0, whatever its size.
    long double log_abs() const;
    // The decimal digits of x, with a leading '-' when negative.
    std::string decimal() const;

    friend BigInt operator-(BigInt x);
    friend BigInt abs(BigInt x);
    friend BigInt operator+(const BigInt& x, const BigInt& y);
    friend BigInt operator-(const BigInt& x, const BigInt& y);
    friend BigInt operator*(const BigInt& x, const BigInt& y);
    // Quotient truncated toward zero and remainder of the sign of x, as for
    // the built-in integers: x = q·y + r, |r| < |y|.
    friend std::pair<BigInt, BigInt> divide(const BigInt& x, const BigInt& y);
    friend BigInt operator/(const BigInt& x, const BigInt& y) { return divide(x, y).first; }
    friend BigInt operator%(const BigInt& x, const BigInt& y) { return divide(x, y).second; }
    // Shifts of the magnitude, the sign kept: x >> k truncates toward zero.
    friend BigInt operator<<(BigInt x, int bits);
    friend BigInt operator>>(BigInt x, int bits);

    BigInt& operator+=(const BigInt& y) { return *this = *this + y; }
    BigInt& operator-=(const BigInt& y) { return *this = *this - y; }
    BigInt& operator*=(const BigInt& y) { return *this = *this * y; }
    BigInt& operator/=(const BigInt& y) { return *this = *this / y; }
    BigInt& operator%=(const BigInt& y) { return *this = *this % y; }
    BigInt& operator<<=(int bits) { return *this = std::move(*this) << bits; }
    BigInt& operator>>=(int bits) { return *this = std::move(*this) >> bits; }

    // The number of zero bits below the lowest set bit of the magnitude (0 for zero).
    friend int countr_zero(const BigInt& x);

    friend bool operator==(const BigInt&, const BigInt&) = default;
    friend std::strong_ordering operator<=>(const BigInt& x, const BigInt& y);

private:
    void trim();

    bool negative_ = false;
    std::vector<std::uint64_t> limbs_;
};

// Also found by name, not only through their arguments.
BigInt abs(BigInt x);
std::pair<BigInt, BigInt> divide(const BigInt& x, const BigInt& y);
int countr_zero(const BigInt& x);

// What the rational template (ratio/ratio.hpp) asks of its integers: |x|, and
// a·b <=> c·d (exact: the products are formed).
inline BigInt magnitude_of(const BigInt& x) { return abs(x); }
inline std::strong_ordering compare_products(const BigInt& a, const BigInt& b, const BigInt& c, const BigInt& d) {
    return a * b <=> c * d;
}

}  // namespace varnolt::utils
