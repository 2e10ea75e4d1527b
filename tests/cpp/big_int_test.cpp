// Integers of any size: against __int128 where the values fit, and against
// the ring's identities where they do not.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

#include "support.hpp"
#include "utils/big_int.hpp"

namespace varnolt::test {
namespace {

using utils::BigInt;
using primitives::wide;

// Random values of 0 to 5 limbs, either sign, some limbs all ones or zero.
BigInt random_big(std::mt19937_64& random) {
    std::uint64_t limbs[5];
    const std::size_t count = random() % 6;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint64_t kind = random() % 4;
        limbs[i] = kind == 0 ? 0 : kind == 1 ? ~std::uint64_t{0} : random();
    }
    return BigInt::from_limbs(random() % 2 == 0, {limbs, count});
}

TEST(BigInt, AgreesWithInt128WhereTheValuesFit) {
    std::mt19937_64 random(7);
    for (int i = 0; i < 20000; ++i) {
        const auto x = static_cast<std::int64_t>(random()) >> (random() % 64);
        const auto y = static_cast<std::int64_t>(random()) >> (random() % 64);
        const BigInt bx = x, by = y;
        EXPECT_EQ((bx * by).to_wide(), wide{x} * y);
        EXPECT_EQ((bx + by).to_wide(), wide{x} + y);
        EXPECT_EQ((bx - by).to_wide(), wide{x} - y);
        EXPECT_EQ(bx <=> by, x <=> y);
        EXPECT_EQ((bx << 40).to_wide(), wide{x} * (wide{1} << 40));
        EXPECT_EQ(bx.to_double(), static_cast<double>(x));
        EXPECT_EQ(bx.decimal(), std::to_string(x));
        const BigInt::Scaled scaled = bx.scaled();
        EXPECT_EQ(std::ldexp(scaled.fraction, static_cast<int>(scaled.exponent)), static_cast<long double>(x));
        unsigned char bytes[8];
        for (int k = 0; k < 8; ++k) bytes[k] = static_cast<unsigned char>(static_cast<std::uint64_t>(x) >> (8 * k));
        EXPECT_EQ(BigInt::from_signed_bytes(bytes), bx);
        if (y != 0) {
            EXPECT_EQ((bx / by).to_wide(), wide{x} / y);
            EXPECT_EQ((bx % by).to_wide(), wide{x} % y);
        }
    }
    const wide extremes[] = {-(wide{1} << 126) * 2, (wide{1} << 126) - 1 + (wide{1} << 126), 0, -1};
    for (const wide x : extremes) {
        EXPECT_TRUE(BigInt(x).fits_wide());
        EXPECT_EQ(BigInt(x).to_wide(), x);
    }
    EXPECT_FALSE((BigInt(extremes[1]) + 1).fits_wide());
    EXPECT_FALSE((BigInt(extremes[0]) - 1).fits_wide());
}

TEST(BigInt, RingIdentitiesBeyond128Bits) {
    std::mt19937_64 random(11);
    for (int i = 0; i < 3000; ++i) {
        const BigInt x = random_big(random), y = random_big(random), z = random_big(random);
        EXPECT_EQ(x + y - y, x);
        EXPECT_EQ((x + y) * z, x * z + y * z);
        EXPECT_EQ(x * y, y * x);
        EXPECT_EQ((x - y).sign(), (x <=> y) < 0 ? -1 : (x <=> y) > 0 ? 1 : 0);
        const int k = static_cast<int>(random() % 200);
        BigInt power = 1;
        for (int j = 0; j < k; ++j) power = power + power;
        EXPECT_EQ(x << k, x * power);
        EXPECT_EQ((x * power) >> k, x);
        if (y.sign() != 0) {
            const auto [q, r] = utils::divide(x, y);
            EXPECT_EQ(q * y + r, x);
            EXPECT_LT(abs(r), abs(y));
            EXPECT_TRUE(r.sign() == 0 || r.sign() == x.sign());
            EXPECT_EQ(x * y / y, x);
        }
        // The double of a value of at most 53 significant bits is exact.
        const int shift = static_cast<int>(std::max<std::int64_t>(0, x.bit_length() - 53));
        const BigInt top = x >> shift;
        EXPECT_EQ((top << shift).to_double(), std::ldexp(top.to_double(), shift));
    }
}

}  // namespace
}  // namespace varnolt::test
