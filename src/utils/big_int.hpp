#pragma once
// Signed integers of any size, for the rare exact values that leave 128 bits
// (products of 128-bit terms, coordinates of any size). Not for hot loops:
// each value holds its digits on the heap.
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
    // The value (−1)^negative · Σ limbs[i]·2^(64·i).
    static BigInt from_limbs(bool negative, std::span<const std::uint64_t> limbs);

    // −1, 0 or 1.
    int sign() const { return limbs_.empty() ? 0 : negative_ ? -1 : 1; }
    bool negative() const { return negative_; }
    // The magnitude's limbs, least significant first, none zero at the top.
    std::span<const std::uint64_t> limbs() const { return limbs_; }
    // The number of bits of the magnitude (0 for zero).
    int bit_width() const;

    // The nearest double to the value, within a relative 2^-52 (the top 64
    // bits are kept, then rounded once); ±infinity beyond the double range.
    double to_double() const;
    // The value when it fits in the signed 128-bit range.
    bool fits_wide() const;
    primitives::wide to_wide() const;  // requires fits_wide()

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

}  // namespace varnolt::utils
