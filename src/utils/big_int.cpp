#include "utils/big_int.hpp"

#include <algorithm>
#include <bit>
#include <cmath>
#include <stdexcept>

namespace varnolt::utils {

using primitives::uwide;
using primitives::wide;

namespace {

using Limbs = std::vector<std::uint64_t>;

void trim(Limbs& x) {
    while (!x.empty() && x.back() == 0) x.pop_back();
}

std::strong_ordering compare_magnitudes(const Limbs& x, const Limbs& y) {
    if (x.size() != y.size()) return x.size() <=> y.size();
    for (std::size_t i = x.size(); i-- > 0;)
        if (x[i] != y[i]) return x[i] <=> y[i];
    return std::strong_ordering::equal;
}

Limbs add_magnitudes(const Limbs& x, const Limbs& y) {
    const Limbs& longer = x.size() >= y.size() ? x : y;
    const Limbs& shorter = x.size() >= y.size() ? y : x;
    Limbs sum(longer.size() + 1);
    uwide carry = 0;
    for (std::size_t i = 0; i < longer.size(); ++i) {
        // Below 2^65: two limbs and a carry of at most 1.
        carry += uwide{longer[i]} + (i < shorter.size() ? shorter[i] : 0);
        sum[i] = static_cast<std::uint64_t>(carry);
        carry >>= 64;
    }
    sum.back() = static_cast<std::uint64_t>(carry);
    trim(sum);
    return sum;
}

// x − y for |x| >= |y|.
Limbs subtract_magnitudes(const Limbs& x, const Limbs& y) {
    Limbs difference(x.size());
    std::uint64_t borrow = 0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        const std::uint64_t subtrahend = i < y.size() ? y[i] : 0;
        const std::uint64_t step = x[i] - subtrahend - borrow;
        borrow = (x[i] < subtrahend || (x[i] == subtrahend && borrow != 0)) ? 1 : 0;
        difference[i] = step;
    }
    trim(difference);
    return difference;
}

Limbs multiply_magnitudes(const Limbs& x, const Limbs& y) {
    if (x.empty() || y.empty()) return {};
    Limbs product(x.size() + y.size());
    for (std::size_t i = 0; i < x.size(); ++i) {
        uwide carry = 0;
        for (std::size_t j = 0; j < y.size(); ++j) {
            // (2^64 − 1)² + 2·(2^64 − 1) = 2^128 − 1: the sum never wraps.
            carry += uwide{x[i]} * y[j] + product[i + j];
            product[i + j] = static_cast<std::uint64_t>(carry);
            carry >>= 64;
        }
        product[i + y.size()] = static_cast<std::uint64_t>(carry);
    }
    trim(product);
    return product;
}

Limbs shifted_left(const Limbs& x, int bits) {
    if (x.empty()) return {};
    const auto whole = static_cast<std::size_t>(bits / 64);
    const int part = bits % 64;
    Limbs shifted(x.size() + whole + 1);
    for (std::size_t i = 0; i < x.size(); ++i) {
        shifted[i + whole] |= x[i] << part;
        if (part != 0) shifted[i + whole + 1] = x[i] >> (64 - part);
    }
    trim(shifted);
    return shifted;
}

Limbs shifted_right(const Limbs& x, int bits) {
    const auto whole = static_cast<std::size_t>(bits / 64);
    const int part = bits % 64;
    if (whole >= x.size()) return {};
    Limbs shifted(x.size() - whole);
    for (std::size_t i = 0; i < shifted.size(); ++i) {
        shifted[i] = x[i + whole] >> part;
        if (part != 0 && i + whole + 1 < x.size()) shifted[i] |= x[i + whole + 1] << (64 - part);
    }
    trim(shifted);
    return shifted;
}

int bit_width_of(const Limbs& x) {
    return x.empty() ? 0 : static_cast<int>(64 * (x.size() - 1)) + static_cast<int>(std::bit_width(x.back()));
}

}  // namespace

BigInt::BigInt(wide value) : negative_(value < 0) {
    const uwide magnitude = value < 0 ? uwide{0} - static_cast<uwide>(value) : static_cast<uwide>(value);
    limbs_ = {static_cast<std::uint64_t>(magnitude), static_cast<std::uint64_t>(magnitude >> 64)};
    trim();
}

BigInt BigInt::from_limbs(bool negative, std::span<const std::uint64_t> limbs) {
    BigInt x;
    x.limbs_.assign(limbs.begin(), limbs.end());
    x.negative_ = negative;
    x.trim();
    return x;
}

void BigInt::trim() {
    utils::trim(limbs_);
    if (limbs_.empty()) negative_ = false;
}

std::int64_t BigInt::bit_length() const { return bit_width_of(limbs_); }

BigInt BigInt::from_signed_bytes(std::span<const unsigned char> bytes) {
    const bool negative = !bytes.empty() && (bytes.back() & 0x80U) != 0;
    // |x| of a negative two's complement value: complement every byte, add one.
    Limbs magnitude((bytes.size() + 7) / 8);
    unsigned carry = negative ? 1 : 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const unsigned byte = negative ? (~bytes[i] & 0xFFU) + carry : bytes[i];
        carry = byte >> 8;
        magnitude[i / 8] |= static_cast<std::uint64_t>(byte & 0xFFU) << (8 * (i % 8));
    }
    return from_limbs(negative, magnitude);
}

std::int64_t BigInt::to_int64() const {
    const auto magnitude = static_cast<std::int64_t>(limbs_.empty() ? 0 : limbs_[0]);  // below 2^62 by the precondition
    return negative_ ? -magnitude : magnitude;
}

BigInt::Scaled BigInt::scaled() const {
    if (limbs_.empty()) return {0.0L, 0};
    // The top 64 bits (all of them when fewer): exact in a long double of a
    // 64-bit significand, and truncated to its precision elsewhere.
    const std::int64_t dropped = std::max<std::int64_t>(0, bit_length() - 64);
    const Limbs top = shifted_right(limbs_, static_cast<int>(dropped));
    int exponent = 0;
    const long double fraction = std::frexp(static_cast<long double>(top.empty() ? 0 : top[0]), &exponent);
    return {negative_ ? -fraction : fraction, exponent + dropped};
}

long double BigInt::log_abs() const {
    const Scaled x = scaled();
    return std::log(std::fabs(x.fraction)) + static_cast<long double>(x.exponent) * std::log(2.0L);
}

std::string BigInt::decimal() const {
    if (limbs_.empty()) return "0";
    // Short division by 10^19 (each step's remainder·2^64 + limb < 10^19·2^64
    // < 2^128), nineteen digits at a time, least significant group first.
    constexpr std::uint64_t group = 10'000'000'000'000'000'000ULL;
    Limbs rest = limbs_;
    std::string digits;
    while (!rest.empty()) {
        uwide remainder = 0;
        for (std::size_t i = rest.size(); i-- > 0;) {
            const uwide part = (remainder << 64) | rest[i];
            rest[i] = static_cast<std::uint64_t>(part / group);
            remainder = part % group;
        }
        utils::trim(rest);
        auto low = static_cast<std::uint64_t>(remainder);
        for (int i = 0; i < 19 && (low != 0 || !rest.empty()); ++i, low /= 10)
            digits.push_back(static_cast<char>('0' + low % 10));
    }
    if (negative_) digits.push_back('-');
    return {digits.rbegin(), digits.rend()};
}

int countr_zero(const BigInt& x) {
    for (std::size_t i = 0; i < x.limbs_.size(); ++i)
        if (x.limbs_[i] != 0) return static_cast<int>(64 * i) + std::countr_zero(x.limbs_[i]);
    return 0;
}

double BigInt::to_double() const {
    if (limbs_.empty()) return 0.0;
    // The top 64 bits of the magnitude (truncated: a relative error below
    // 2^-63), then one rounding to 53 bits: within 2^-52 in all.
    const int dropped = static_cast<int>(std::max<std::int64_t>(0, bit_length() - 64));
    const Limbs top = shifted_right(limbs_, dropped);
    const double magnitude = std::ldexp(static_cast<double>(top.empty() ? 0 : top[0]), dropped);
    return negative_ ? -magnitude : magnitude;
}

bool BigInt::fits_wide() const {
    if (bit_length() < 128) return true;
    // −2^127 is the one value of 128 bits that fits.
    return negative_ && bit_length() == 128 && limbs_[0] == 0 && limbs_[1] == (std::uint64_t{1} << 63);
}

wide BigInt::to_wide() const {
    uwide magnitude = 0;
    for (std::size_t i = limbs_.size(); i-- > 0;) magnitude = (magnitude << 64) | limbs_[i];
    return static_cast<wide>(negative_ ? uwide{0} - magnitude : magnitude);
}

BigInt operator-(BigInt x) {
    if (!x.limbs_.empty()) x.negative_ = !x.negative_;
    return x;
}

BigInt abs(BigInt x) {
    x.negative_ = false;
    return x;
}

BigInt operator+(const BigInt& x, const BigInt& y) {
    BigInt sum;
    if (x.negative_ == y.negative_) {
        sum.limbs_ = add_magnitudes(x.limbs_, y.limbs_);
        sum.negative_ = x.negative_;
    } else if (compare_magnitudes(x.limbs_, y.limbs_) >= 0) {
        sum.limbs_ = subtract_magnitudes(x.limbs_, y.limbs_);
        sum.negative_ = x.negative_;
    } else {
        sum.limbs_ = subtract_magnitudes(y.limbs_, x.limbs_);
        sum.negative_ = y.negative_;
    }
    sum.trim();
    return sum;
}

BigInt operator-(const BigInt& x, const BigInt& y) { return x + (-y); }

BigInt operator*(const BigInt& x, const BigInt& y) {
    BigInt product;
    product.limbs_ = multiply_magnitudes(x.limbs_, y.limbs_);
    product.negative_ = x.negative_ != y.negative_;
    product.trim();
    return product;
}

// Long division one bit at a time: the remainder takes the next bit of |x|
// and gives up |y| whenever it reaches it. Quadratic in the bits, which is
// enough for the few hundred bits of the values here.
std::pair<BigInt, BigInt> divide(const BigInt& x, const BigInt& y) {
    if (y.limbs_.empty()) throw std::domain_error("integer division by zero");
    BigInt quotient, remainder;
    if (compare_magnitudes(x.limbs_, y.limbs_) < 0) {
        remainder = x;
        return {quotient, remainder};
    }
    quotient.limbs_.assign(x.limbs_.size(), 0);
    for (auto bit = static_cast<int>(x.bit_length()); bit-- > 0;) {
        remainder.limbs_ = shifted_left(remainder.limbs_, 1);
        if ((x.limbs_[static_cast<std::size_t>(bit / 64)] >> (bit % 64)) & 1) {
            if (remainder.limbs_.empty()) remainder.limbs_.push_back(0);
            remainder.limbs_[0] |= 1;
        }
        if (compare_magnitudes(remainder.limbs_, y.limbs_) >= 0) {
            remainder.limbs_ = subtract_magnitudes(remainder.limbs_, y.limbs_);
            quotient.limbs_[static_cast<std::size_t>(bit / 64)] |= std::uint64_t{1} << (bit % 64);
        }
    }
    quotient.negative_ = x.negative_ != y.negative_;
    remainder.negative_ = x.negative_;
    quotient.trim();
    remainder.trim();
    return {quotient, remainder};
}

BigInt operator<<(BigInt x, int bits) {
    x.limbs_ = shifted_left(x.limbs_, bits);
    return x;
}

BigInt operator>>(BigInt x, int bits) {
    x.limbs_ = shifted_right(x.limbs_, bits);
    x.trim();
    return x;
}

std::strong_ordering operator<=>(const BigInt& x, const BigInt& y) {
    if (x.sign() != y.sign()) return x.sign() <=> y.sign();
    const std::strong_ordering magnitudes = compare_magnitudes(x.limbs_, y.limbs_);
    return x.negative_ ? 0 <=> magnitudes : magnitudes;
}

}  // namespace varnolt::utils
