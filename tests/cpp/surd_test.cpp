// Exact numbers a + b·√D: sign, order and rounding, checked as facts near the
// 128-bit edge and against long double on small parts, where it cannot err.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "quadratic/surd.hpp"
#include "support.hpp"
#include "primitives/checked.hpp"
#include "utils/isqrt.hpp"

namespace varnolt::test {
namespace {

using quadratic::Surd;
using primitives::ArithmeticOverflow;
using primitives::uwide;
using primitives::wide;

constexpr wide wide_max = ~(static_cast<wide>(1) << 127);
constexpr wide two_pow_wide(int k) { return static_cast<wide>(1) << k; }

struct SignRow { const char* name; Surd x; int sign; };
class SurdSign : public testing::TestWithParam<SignRow> {};
TEST_P(SurdSign, IsExact) { EXPECT_EQ(quadratic::sign(GetParam().x), GetParam().sign); }
INSTANTIATE_TEST_SUITE_P(Table, SurdSign, testing::Values(
    SignRow{"zero", {0, 0, 2}, 0},
    SignRow{"root_alone", {0, -3, 2}, -1},
    SignRow{"radicand_zero_ignores_b", {-1, 5, 0}, -1},
    SignRow{"same_signs", {2, 3, 7}, 1},
    SignRow{"one_minus_root_two", {1, -1, 2}, -1},
    SignRow{"three_halves_vs_root_two", {3, -2, 2}, 1},        // 9 > 8
    SignRow{"close_pell_pair", {-577, 408, 2}, -1},             // 332929 vs 332928
    SignRow{"square_radicand_gives_zero", {-6, 2, 9}, 0},
    SignRow{"a_squared_beyond_128_bits", {two_pow_wide(64), -1, int_max}, 1},
    SignRow{"b_squared_d_beyond_128_bits", {-two_pow_wide(62), two_pow_wide(40), int_max}, 1},
    SignRow{"largest_parts_one_sign", {wide_max, wide_max, int_max}, 1},
    SignRow{"largest_a_against_root", {-wide_max, 1, 2}, -1}),
    row_name<SignRow>);

TEST(SurdSign, UndecidableWithin128BitsRaisesOverflow) {
    EXPECT_THROW(quadratic::sign(Surd{two_pow_wide(64), -two_pow_wide(64), 2}), ArithmeticOverflow);
}

struct FloorRow { const char* name; Surd x; wide den, floor, ceil; };
class SurdFloor : public testing::TestWithParam<FloorRow> {};
TEST_P(SurdFloor, IsExact) {
    const FloorRow& row = GetParam();
    EXPECT_EQ(quadratic::floor_div(row.x, row.den), row.floor);
    EXPECT_EQ(quadratic::ceil_div(row.x, row.den), row.ceil);
}
INSTANTIATE_TEST_SUITE_P(Table, SurdFloor, testing::Values(
    FloorRow{"root_two", {0, 1, 2}, 1, 1, 2},
    FloorRow{"minus_root_two", {0, -1, 2}, 1, -2, -1},            // β₋(1, 0, −2)
    FloorRow{"over_a_denominator", {3, -1, 3}, 2, 0, 1},          // (3 − √3)/2 ≈ 0.634
    FloorRow{"negative_over_denominator", {-7, -1, 5}, 3, -4, -3},  // ≈ −3.08
    FloorRow{"perfect_square_is_integer", {1, -2, 9}, 5, -1, -1},  // −5/5
    FloorRow{"integer_part_only", {-7, 4, 0}, 2, -4, -3},
    FloorRow{"largest_root", {0, 1, int_max}, 1, 3037000499, 3037000500},
    // b²·D = 2^64·(2^63 − 1) < 2^127: floor(2^32·√(2^63 − 1)) = 13043817825332782211.
    FloorRow{"b_squared_d_just_fits", {0, -two_pow_wide(32), int_max}, 1,
             -wide{13043817825332782211ULL} - 1, -wide{13043817825332782211ULL}}),
    row_name<FloorRow>);

TEST(SurdFloor, RootBeyond128BitsRaisesOverflow) {
    EXPECT_THROW(quadratic::floor_div(Surd{0, two_pow_wide(33), int_max}, 1), ArithmeticOverflow);
    EXPECT_THROW(quadratic::floor_div(Surd{wide_max, 1, 4}, 1), ArithmeticOverflow);  // a + 2 overflows
}

TEST(SurdArithmetic, OverflowRaisesAndMixedRadicandsStop) {
    EXPECT_THROW(Surd({wide_max, 0, 2}) + Surd({1, 0, 2}), ArithmeticOverflow);
    EXPECT_THROW(Surd({two_pow_wide(64), 0, 2}) * Surd({two_pow_wide(64), 0, 2}), ArithmeticOverflow);
    EXPECT_THROW(Surd({0, two_pow_wide(64), int_max}) * Surd({0, 2, int_max}), ArithmeticOverflow);
    EXPECT_THROW(-Surd({-wide_max - 1, 0, 2}), ArithmeticOverflow);
    EXPECT_EQ(stop_message([] { return Surd{1, 1, 2} + Surd{1, 1, 3}; }), "surds over different radicands");
    const Surd product = Surd{1, 2, 3} * Surd{4, -1, 3};  // (1 + 2√3)(4 − √3) = −2 + 7√3
    EXPECT_EQ(product.a, -2);
    EXPECT_EQ(product.b, 7);
}

// Small parts, D not a square: |a + b√D| = |a² − b²D| / |a − b√D| >= 2^-18,
// while long double errs by less than 2^-40 here, so it decides sign, order
// and floor correctly (the value is never an integer when b ≠ 0).
TEST(SurdProperty, AgreesWithLongDoubleOnSmallParts) {
    std::mt19937_64 rng(12);
    std::uniform_int_distribution<int> part(-(1 << 14), 1 << 14);
    std::uniform_int_distribution<int> radicand(2, 1 << 12);
    std::uniform_int_distribution<int> den(1, 1 << 10);
    for (int i = 0; i < 20000; ++i) {
        std::int64_t d = radicand(rng);
        if (const auto root = static_cast<std::int64_t>(std::sqrt(d)); root * root == d) ++d;
        const Surd x{part(rng), part(rng), d};
        const Surd y{part(rng), part(rng), d};
        const wide n = den(rng);
        const auto value = [](const Surd& s) {
            return static_cast<long double>(s.a) + static_cast<long double>(s.b) * std::sqrt(static_cast<long double>(s.radicand));
        };
        const long double vx = value(x), vy = value(y);
        ASSERT_EQ(quadratic::sign(x), (vx > 0) - (vx < 0)) << i;
        ASSERT_EQ(x < y, vx < vy) << i;
        ASSERT_EQ(quadratic::floor_div(x, n), static_cast<wide>(std::floor(vx / static_cast<long double>(n)))) << i;
        ASSERT_EQ(quadratic::ceil_div(x, n), static_cast<wide>(std::ceil(vx / static_cast<long double>(n)))) << i;
    }
}

TEST(SqrtWide, FloorOfTheRootAcrossTheRange) {
    EXPECT_EQ(utils::isqrt(0), 0u);
    EXPECT_EQ(utils::isqrt(3), 1u);
    EXPECT_EQ(utils::isqrt(4), 2u);
    EXPECT_EQ(utils::isqrt(~uwide{0}), uwide{UINT64_MAX});
    std::mt19937_64 rng(5);
    for (int i = 0; i < 20000; ++i) {
        const int bits = 1 + i % 128;
        uwide a = (static_cast<uwide>(rng()) << 64 | rng()) >> (128 - bits);
        if (i % 3 == 0) {  // perfect squares and their neighbours
            const uwide s = a >> (bits / 2 + 1);
            a = s * s - (i % 2);
        }
        const uwide root = utils::isqrt(a);
        ASSERT_LE(root * root, a) << i;
        ASSERT_TRUE(root == UINT64_MAX || (root + 1) * (root + 1) > a) << i;
    }
}

}  // namespace
}  // namespace varnolt::test
