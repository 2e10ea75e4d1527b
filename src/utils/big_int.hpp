#pragma once
// Signed integers of any size, for the few values that come from outside the
// 64-bit world (a point σ(β, α) given by exact rationals of any size) and the
// constants derived from them. Only what those need: +, −, ×, comparison,
// sign, bit length, a scaled long double and the bytes of Python's
// int.to_bytes. Never used on a per-candidate path.
//
// Invariant: magnitude_ holds 32-bit limbs, least significant first, with no
// leading zero limb (zero is the empty vector), and negative_ is false for
// zero. Every operation builds its result through trimmed(), which restores
// it. Nothing overflows; an allocation that fails throws std::bad_alloc.
#include <compare>
#include <cstdint>
#include <span>
#include <vector>

namespace varnolt::utils {

class BigInt {
public:
    BigInt() = default;
    BigInt(std::int64_t value);  // NOLINT: an int64 is a BigInt

    // The two's complement integer of `bytes`, least significant byte first,
    // as int.to_bytes(n, "little", signed=True) writes it (empty: zero).
    static BigInt from_signed_bytes(std::span<const unsigned char> bytes);

    friend BigInt operator+(const BigInt& x, const BigInt& y);
    friend BigInt operator-(const BigInt& x, const BigInt& y);
    friend BigInt operator*(const BigInt& x, const BigInt& y);
    BigInt operator-() const;

    friend bool operator==(const BigInt& x, const BigInt& y) = default;
    friend std::strong_ordering operator<=>(const BigInt& x, const BigInt& y);

    int sign() const { return magnitude_.empty() ? 0 : (negative_ ? -1 : 1); }
    // The number of bits of |x| (0 for zero).
    std::int64_t bit_length() const;
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


private:
    static BigInt trimmed(std::vector<std::uint32_t> magnitude, bool negative);
    std::vector<std::uint32_t> magnitude_;
    bool negative_ = false;
};

}  // namespace varnolt::utils
