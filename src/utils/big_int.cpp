#include "utils/big_int.hpp"

#include <algorithm>
#include <bit>
#include <cmath>

namespace varnolt::utils {

namespace {

using Limbs = std::vector<std::uint32_t>;

std::strong_ordering compare_magnitudes(const Limbs& x, const Limbs& y) {
    if (x.size() != y.size()) return x.size() <=> y.size();
    for (std::size_t i = x.size(); i-- > 0;)
        if (x[i] != y[i]) return x[i] <=> y[i];
    return std::strong_ordering::equal;
}

Limbs added(const Limbs& x, const Limbs& y) {
    const Limbs& longer = x.size() >= y.size() ? x : y;
    const Limbs& shorter = x.size() >= y.size() ? y : x;
    Limbs sum(longer.size() + 1);
    std::uint64_t carry = 0;
    for (std::size_t i = 0; i < longer.size(); ++i) {
        carry += std::uint64_t{longer[i]} + (i < shorter.size() ? shorter[i] : 0U);
        sum[i] = static_cast<std::uint32_t>(carry);
        carry >>= 32;
    }
    sum.back() = static_cast<std::uint32_t>(carry);
    return sum;
}

// x − y for |x| >= |y|: a borrow never leaves the top limb.
Limbs subtracted(const Limbs& x, const Limbs& y) {
    Limbs difference(x.size());
    std::int64_t borrow = 0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        std::int64_t limb = std::int64_t{x[i]} - (i < y.size() ? y[i] : 0) - borrow;
        borrow = limb < 0 ? 1 : 0;
        difference[i] = static_cast<std::uint32_t>(limb + (borrow << 32));
    }
    return difference;
}

}  // namespace

BigInt::BigInt(std::int64_t value) : negative_(value < 0) {
    // |value| in 64 unsigned bits, −2^63 included.
    std::uint64_t magnitude = value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    for (; magnitude != 0; magnitude >>= 32) magnitude_.push_back(static_cast<std::uint32_t>(magnitude));
}

BigInt BigInt::trimmed(Limbs magnitude, bool negative) {
    while (!magnitude.empty() && magnitude.back() == 0) magnitude.pop_back();
    BigInt x;
    x.negative_ = negative && !magnitude.empty();
    x.magnitude_ = std::move(magnitude);
    return x;
}

BigInt BigInt::from_signed_bytes(std::span<const unsigned char> bytes) {
    const bool negative = !bytes.empty() && (bytes.back() & 0x80U) != 0;
    // |x| of a negative two's complement value: complement every byte, add one.
    Limbs magnitude((bytes.size() + 3) / 4);
    unsigned carry = negative ? 1 : 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        unsigned byte = negative ? (~bytes[i] & 0xFFU) + carry : bytes[i];
        carry = byte >> 8;
        magnitude[i / 4] |= static_cast<std::uint32_t>(byte & 0xFFU) << (8 * (i % 4));
    }
    return trimmed(std::move(magnitude), negative);
}

BigInt operator+(const BigInt& x, const BigInt& y) {
    if (x.negative_ == y.negative_) return BigInt::trimmed(added(x.magnitude_, y.magnitude_), x.negative_);
    // Opposite signs: the larger magnitude keeps its sign.
    if (compare_magnitudes(x.magnitude_, y.magnitude_) >= 0)
        return BigInt::trimmed(subtracted(x.magnitude_, y.magnitude_), x.negative_);
    return BigInt::trimmed(subtracted(y.magnitude_, x.magnitude_), y.negative_);
}

BigInt BigInt::operator-() const { return trimmed(magnitude_, !negative_); }

BigInt operator-(const BigInt& x, const BigInt& y) { return x + (-y); }

// Schoolbook: each partial sum t + x·y + carry < 2^64 for 32-bit limbs.
BigInt operator*(const BigInt& x, const BigInt& y) {
    if (x.magnitude_.empty() || y.magnitude_.empty()) return {};
    Limbs product(x.magnitude_.size() + y.magnitude_.size());
    for (std::size_t i = 0; i < x.magnitude_.size(); ++i) {
        std::uint64_t carry = 0;
        for (std::size_t j = 0; j < y.magnitude_.size(); ++j) {
            carry += std::uint64_t{product[i + j]} + std::uint64_t{x.magnitude_[i]} * y.magnitude_[j];
            product[i + j] = static_cast<std::uint32_t>(carry);
            carry >>= 32;
        }
        product[i + y.magnitude_.size()] = static_cast<std::uint32_t>(carry);
    }
    return BigInt::trimmed(std::move(product), x.negative_ != y.negative_);
}

std::strong_ordering operator<=>(const BigInt& x, const BigInt& y) {
    if (x.negative_ != y.negative_) return x.negative_ ? std::strong_ordering::less : std::strong_ordering::greater;
    const std::strong_ordering magnitudes = compare_magnitudes(x.magnitude_, y.magnitude_);
    return x.negative_ ? 0 <=> magnitudes : magnitudes;
}

std::int64_t BigInt::bit_length() const {
    if (magnitude_.empty()) return 0;
    return 32 * static_cast<std::int64_t>(magnitude_.size() - 1) + std::bit_width(magnitude_.back());
}

std::int64_t BigInt::to_int64() const {
    std::uint64_t magnitude = 0;
    for (std::size_t i = std::min<std::size_t>(magnitude_.size(), 2); i-- > 0;) magnitude = magnitude << 32 | magnitude_[i];
    const auto value = static_cast<std::int64_t>(magnitude);  // below 2^62 by the precondition
    return negative_ ? -value : value;
}

BigInt::Scaled BigInt::scaled() const {
    if (magnitude_.empty()) return {0.0L, 0};
    // The top three limbs hold the leading 64 bits (or all of them).
    long double top = 0;
    const std::size_t used = std::min<std::size_t>(magnitude_.size(), 3);
    for (std::size_t i = 0; i < used; ++i) top = top * 4294967296.0L + magnitude_[magnitude_.size() - 1 - i];
    int exponent = 0;
    const long double fraction = std::frexp(top, &exponent);
    const std::int64_t dropped = 32 * static_cast<std::int64_t>(magnitude_.size() - used);
    return {negative_ ? -fraction : fraction, exponent + dropped};
}

long double BigInt::log_abs() const {
    const Scaled x = scaled();
    return std::log(std::fabs(x.fraction)) + static_cast<long double>(x.exponent) * std::log(2.0L);
}

}  // namespace varnolt::utils
