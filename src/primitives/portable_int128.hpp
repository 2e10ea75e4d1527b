#pragma once
// A 128-bit integer held in two 64-bit halves, for compilers without __int128
// (MSVC). primitives/int128.hpp makes wide and uwide these classes there, and on
// any compiler when VARNOLT_PORTABLE_INT128 is defined, which is how they are
// tested where __int128 exists.
//
// The operators behave as those of __int128: two's complement; +, − and ·
// wrap modulo 2^128 (the checked helpers see an overflow before its result is
// used); / and % truncate toward zero; >> of a negative value keeps the sign.
// Any built-in integer converts implicitly, as it would to __int128, so mixed
// expressions such as `w * n + 1` need no casts; conversions out of the class,
// and between the signed and unsigned classes, are explicit.
#include <compare>
#include <concepts>
#include <cstdint>
#include <type_traits>
#include <utility>

namespace varnolt::primitives {

template <bool Signed>
class Int128 {
public:
    constexpr Int128() = default;

    template <std::integral I>
    constexpr Int128(I value)  // implicit, like the built-in integer conversions
        : high_(is_negative(value) ? ~std::uint64_t{0} : 0), low_(static_cast<std::uint64_t>(value)) {}

    constexpr explicit Int128(Int128<!Signed> other) : high_(other.high()), low_(other.low()) {}

    // Truncated toward zero, as a floating-point value converts to __int128
    // (which it must fit).
    template <std::floating_point F>
    constexpr explicit Int128(F value) {
        const F size = value < 0 ? -value : value;
        high_ = static_cast<std::uint64_t>(size / two_to_64<F>);
        low_ = static_cast<std::uint64_t>(size - static_cast<F>(high_) * two_to_64<F>);  // exact
        if (value < 0) *this = -*this;
    }

    static constexpr Int128 from_halves(std::uint64_t high, std::uint64_t low) {
        Int128 result;
        result.high_ = high;
        result.low_ = low;
        return result;
    }

    constexpr std::uint64_t high() const { return high_; }
    constexpr std::uint64_t low() const { return low_; }
    constexpr bool negative() const { return Signed && (high_ >> 63) != 0; }

    // The low bits, as a cast of __int128 to a narrower integer gives them.
    template <std::integral I>
    constexpr explicit operator I() const {
        return static_cast<I>(low_);
    }
    constexpr explicit operator bool() const { return (high_ | low_) != 0; }
    // The nearest floating-point value, but for the rounding of the two halves'
    // sum (one unit in the last place at most) where __int128 rounds once.
    template <std::floating_point F>
    constexpr explicit operator F() const {
        const Int128 size = negative() ? -*this : *this;
        const F value = static_cast<F>(size.high_) * two_to_64<F> + static_cast<F>(size.low_);
        return negative() ? -value : value;
    }

    friend constexpr Int128 operator+(Int128 a, Int128 b) {
        const std::uint64_t low = a.low_ + b.low_;
        return from_halves(a.high_ + b.high_ + (low < a.low_ ? 1 : 0), low);
    }
    friend constexpr Int128 operator-(Int128 a, Int128 b) {
        return from_halves(a.high_ - b.high_ - (a.low_ < b.low_ ? 1 : 0), a.low_ - b.low_);
    }
    friend constexpr Int128 operator*(Int128 a, Int128 b) {
        const Int128 low_product = full_product(a.low_, b.low_);
        return from_halves(low_product.high_ + a.low_ * b.high_ + a.high_ * b.low_, low_product.low_);
    }
    friend constexpr Int128 operator/(Int128 a, Int128 b) { return divide(a, b).first; }
    friend constexpr Int128 operator%(Int128 a, Int128 b) { return divide(a, b).second; }

    friend constexpr Int128 operator-(Int128 a) { return Int128{} - a; }
    friend constexpr Int128 operator+(Int128 a) { return a; }
    friend constexpr Int128 operator~(Int128 a) { return from_halves(~a.high_, ~a.low_); }
    friend constexpr Int128 operator&(Int128 a, Int128 b) { return from_halves(a.high_ & b.high_, a.low_ & b.low_); }
    friend constexpr Int128 operator|(Int128 a, Int128 b) { return from_halves(a.high_ | b.high_, a.low_ | b.low_); }
    friend constexpr Int128 operator^(Int128 a, Int128 b) { return from_halves(a.high_ ^ b.high_, a.low_ ^ b.low_); }

    // Shifts by 0 to 127 bits, as for __int128.
    friend constexpr Int128 operator<<(Int128 a, int bits) {
        if (bits == 0) return a;
        if (bits >= 64) return from_halves(a.low_ << (bits - 64), 0);
        return from_halves((a.high_ << bits) | (a.low_ >> (64 - bits)), a.low_ << bits);
    }
    friend constexpr Int128 operator>>(Int128 a, int bits) {
        const std::uint64_t fill = a.negative() ? ~std::uint64_t{0} : 0;
        if (bits == 0) return a;
        if (bits >= 64) return from_halves(fill, shift_right(a.high_, bits - 64, fill));
        return from_halves(shift_right(a.high_, bits, fill), (a.low_ >> bits) | (a.high_ << (64 - bits)));
    }

    friend constexpr bool operator==(Int128 a, Int128 b) { return a.high_ == b.high_ && a.low_ == b.low_; }
    friend constexpr std::strong_ordering operator<=>(Int128 a, Int128 b) {
        if (a.high_ == b.high_) return a.low_ <=> b.low_;
        if constexpr (Signed) return static_cast<std::int64_t>(a.high_) <=> static_cast<std::int64_t>(b.high_);
        return a.high_ <=> b.high_;
    }

    constexpr Int128& operator+=(Int128 other) { return *this = *this + other; }
    constexpr Int128& operator-=(Int128 other) { return *this = *this - other; }
    constexpr Int128& operator*=(Int128 other) { return *this = *this * other; }
    constexpr Int128& operator/=(Int128 other) { return *this = *this / other; }
    constexpr Int128& operator%=(Int128 other) { return *this = *this % other; }
    constexpr Int128& operator<<=(int bits) { return *this = *this << bits; }
    constexpr Int128& operator>>=(int bits) { return *this = *this >> bits; }
    constexpr Int128& operator++() { return *this += 1; }
    constexpr Int128& operator--() { return *this -= 1; }
    constexpr Int128 operator++(int) { return std::exchange(*this, *this + 1); }
    constexpr Int128 operator--(int) { return std::exchange(*this, *this - 1); }

private:
    template <std::floating_point F>
    static constexpr F two_to_64 = F(18446744073709551616.0);

    template <std::integral I>
    static constexpr bool is_negative(I value) {
        if constexpr (std::is_signed_v<I>) return value < 0;
        return false;
    }

    static constexpr std::uint64_t shift_right(std::uint64_t x, int bits, std::uint64_t fill) {
        return bits == 0 ? x : (x >> bits) | (fill << (64 - bits));
    }

    // The exact 128-bit product of two 64-bit halves, from 32-bit pieces.
    static constexpr Int128 full_product(std::uint64_t a, std::uint64_t b) {
        constexpr std::uint64_t mask = 0xffffffff;
        const std::uint64_t low_low = (a & mask) * (b & mask), high_low = (a >> 32) * (b & mask);
        const std::uint64_t low_high = (a & mask) * (b >> 32), high_high = (a >> 32) * (b >> 32);
        // At most (2^32 − 1) + (2^32 − 1) + (2^32 − 1)² = 2^64 − 1: no carry lost.
        const std::uint64_t middle = (low_low >> 32) + (high_low & mask) + low_high;
        return from_halves(high_high + (high_low >> 32) + (middle >> 32), (middle << 32) | (low_low & mask));
    }

    // Quotient and remainder of the unsigned values of a and b (b ≠ 0), bit by
    // bit unless both fit in 64 bits.
    static constexpr std::pair<Int128, Int128> divide_unsigned(Int128 a, Int128 b) {
        if (a.high_ == 0 && b.high_ == 0) return {Int128(a.low_ / b.low_), Int128(a.low_ % b.low_)};
        Int128 quotient, remainder;
        for (int bit = 127; bit >= 0; --bit) {
            remainder = from_halves((remainder.high_ << 1) | (remainder.low_ >> 63),
                                    (remainder.low_ << 1) | ((bit >= 64 ? a.high_ >> (bit - 64) : a.low_ >> bit) & 1));
            if (Int128<false>(remainder) >= Int128<false>(b)) {
                remainder -= b;
                quotient = quotient | (Int128(1) << bit);
            }
        }
        return {quotient, remainder};
    }

    // Truncating division: the quotient is negative when exactly one operand
    // is, the remainder takes the sign of the dividend.
    static constexpr std::pair<Int128, Int128> divide(Int128 a, Int128 b) {
        auto [quotient, remainder] = divide_unsigned(a.negative() ? -a : a, b.negative() ? -b : b);
        if (a.negative() != b.negative()) quotient = -quotient;
        if (a.negative()) remainder = -remainder;
        return {quotient, remainder};
    }

    std::uint64_t high_ = 0;
    std::uint64_t low_ = 0;
};

}  // namespace varnolt::primitives
