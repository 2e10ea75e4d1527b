// Integer helpers: rounding to neighbouring integers, modular inverses and
// exact square roots.
#include <gtest/gtest.h>

#include <numeric>
#include <optional>
#include <random>

#include "support.hpp"
#include "utils/ratio_rounding.hpp"
#include "primitives/checked.hpp"
#include "utils/isqrt.hpp"
#include "utils/modular.hpp"
#include "utils/rounding.hpp"

namespace varnolt::test {
namespace {

using primitives::ArithmeticOverflow;

struct RoundRow { Ratio x; std::int64_t least_greater, greatest_lesser_or_eq; };
TEST(Rounding, NeighbouringIntegersAndOverflow) {
    const RoundRow rows[] = {
        {Q(5), 6, 5}, {Q(7, 2), 4, 3}, {Q(-7, 2), -3, -4}, {Q(-1, 3), 0, -1}, {Q(1, 3), 1, 0},
        {Q(0), 1, 0}, {Q(-4), -3, -4}, {Q(int_min), int_min + 1, int_min},
        {Q(int_max - 1), int_max, int_max - 1}, {Q(int_max, 2), two_pow(62), two_pow(62) - 1},
        {Q(-int_max, 2), -two_pow(62) + 1, -two_pow(62)}, {Q(int_min, int_max), -1, -2},
    };
    for (const auto& [x, above, below] : rows) {
        EXPECT_EQ(utils::least_greater_int(x), above) << x;
        EXPECT_EQ(utils::greatest_lesser_or_eq_int(x), below) << x;
    }
    // The successor of 2^63 - 1 does not fit.
    EXPECT_THROW(utils::least_greater_int(Q(int_max)), ArithmeticOverflow);
    EXPECT_EQ(utils::greatest_lesser_or_eq_int(Q(int_max)), int_max);
}

struct FloorModRow { primitives::wide a; std::int64_t b, remainder; };
TEST(FloorMod, NeverNegativeAndBelowTheDivisor) {
    const primitives::wide two_pow_100 = static_cast<primitives::wide>(1) << 100;  // ≡ 2 (mod 7), as 2^3 ≡ 1
    const FloorModRow rows[] = {
        {7, 3, 1}, {-7, 3, 2}, {-6, 3, 0}, {0, 5, 0}, {7, -3, 1}, {-7, -3, 2}, {5, 1, 0},
        {int_min, 3, 1}, {int_max, int_max, 0}, {-1, int_max, int_max - 1},
        {two_pow_100, 7, 2}, {-two_pow_100, 7, 5},
    };
    for (const auto& [a, b, remainder] : rows)
        EXPECT_EQ(utils::floor_mod(a, b), remainder) << static_cast<double>(a) << " mod " << b;
    EXPECT_EQ(stop_message([] { utils::floor_mod(1, 0); }),
              "attempt to calculate the remainder with a divisor of zero");
}

constexpr const char* not_positive = "both arguments to modulo_inverse must be positive";
constexpr const char* no_inverse = "modulo inverse does not exist";

struct InverseRow { std::int64_t a, m, inverse; const char* message; };
TEST(ModuloInverse, ValuesAndMessages) {
    const InverseRow rows[] = {
        {3, 7, 5, nullptr}, {4, 9, 7, nullptr}, {2, 3, 2, nullptr}, {10, 7, 5, nullptr},
        {1, 2, 1, nullptr}, {1, int_max, 1, nullptr}, {2, int_max, two_pow(62), nullptr},
        {int_max - 1, int_max, int_max - 1, nullptr},
        {0, 5, 0, no_inverse}, {0, 2, 0, no_inverse}, {2, 4, 0, no_inverse},
        {2, 6, 0, no_inverse}, {6, 6, 0, no_inverse}, {49, int_max, 0, no_inverse},
        {-1, 5, 0, not_positive}, {3, 1, 0, not_positive}, {3, 0, 0, not_positive},
        {3, -7, 0, not_positive}, {0, 1, 0, not_positive},
    };
    for (const auto& [a, m, inverse, message] : rows) {
        const auto result = utils::modulo_inverse(a, m);
        if (message == nullptr) {
            ASSERT_TRUE(result.has_value()) << a << " mod " << m << ": " << result.error();
            EXPECT_EQ(*result, inverse) << a << " mod " << m;
        } else {
            ASSERT_FALSE(result.has_value()) << a << " mod " << m << " gave " << *result;
            EXPECT_STREQ(result.error(), message) << a << " mod " << m;
        }
    }
}

// Moduli around and far above the range where a*x fits in 64 bits: an inverse
// exists exactly for a coprime to m, lies in 1 ... m - 1, and r*a = 1 (mod m).
TEST(ModuloInverse, ExactForLargeModuli) {
    std::mt19937_64 rng(7);
    const std::int64_t moduli[] = {3037000493, 4294967311, 1000000000000000003,
                                   1000000000000000009, two_pow(62), int_max};
    for (const std::int64_t m : moduli) {
        int inverses = 0;
        for (int i = 0; i < 3000; ++i) {
            const auto um = static_cast<std::uint64_t>(m);
            const std::int64_t a = static_cast<std::int64_t>(i < 2 ? um - 1 + i : rng() % um);
            const auto result = utils::modulo_inverse(a, m);
            if (std::gcd(a, m) != 1) {
                ASSERT_FALSE(result.has_value()) << a << " mod " << m;
                EXPECT_STREQ(result.error(), no_inverse);
                continue;
            }
            ASSERT_TRUE(result.has_value()) << a << " mod " << m;
            const std::int64_t r = *result;
            ASSERT_TRUE(r >= 1 && r < m) << r;
            ASSERT_EQ(static_cast<primitives::uwide>(r) * static_cast<primitives::uwide>(a) % um, 1u)
                << a << " mod " << m << " gave " << r;
            ++inverses;
        }
        EXPECT_GT(inverses, 1000) << m;
    }
}

struct SqrtRow { Ratio x; std::optional<Ratio> root; };
TEST(CheckedSqrt, RationalRootOrNothing) {
    const SqrtRow rows[] = {
        {Q(4, 9), Q(2, 3)}, {Q(9, 4), Q(3, 2)}, {Q(0), Q(0)}, {Q(1), Q(1)},
        {Q(4611686014132420609), Q(two_pow(31) - 1)},
        {Q(9223372030926249001, 4), Q(3037000499, 2)},
        {Q(8), std::nullopt}, {Q(1, 8), std::nullopt}, {Q(-4), std::nullopt},
        {Q(2), std::nullopt}, {Q(1, 2), std::nullopt}, {Q(-1, 4), std::nullopt},
        {Q(9223372030926249000), std::nullopt}, {Q(1, int_max), std::nullopt},
    };
    for (const auto& [x, root] : rows) EXPECT_EQ(utils::checked_sqrt(x), root) << x;
}

struct IsqrtRow { std::uint64_t a, root; };
TEST(Sqrt, FloorOfSquareRoot) {
    const IsqrtRow rows[] = {
        {0, 0}, {1, 1}, {2, 1}, {3, 1}, {4, 2}, {15, 3}, {16, 4}, {17, 4},
        {UINT64_MAX, 4294967295}, {std::uint64_t{1} << 62, 2147483648},
        {18446744065119617025u, 4294967295},   // (2^32 - 1)^2
        {18446744065119617024u, 4294967294},   // one below it
        {(std::uint64_t{1} << 53) + 1, 94906265},  // not exact in double precision
    };
    for (const auto& [a, root] : rows) EXPECT_EQ(utils::sqrt(a), root) << a;
}

// s = sqrt(a) is the floor exactly when s^2 <= a < (s + 1)^2; squares near
// 2^64 and their neighbours are where a floating-point start is most wrong.
TEST(Sqrt, BracketsArgumentExactly) {
    std::mt19937_64 rng(99);
    const auto check = [](std::uint64_t a) {
        const primitives::uwide s = utils::sqrt(a);
        ASSERT_LE(s * s, a) << a;
        ASSERT_GT((s + 1) * (s + 1), a) << a;
    };
    for (int i = 0; i < 200000; ++i) check(rng() >> (rng() % 64));
    for (std::uint64_t k = 4294967295u; k > 4294967295u - 3000; --k)
        for (const std::uint64_t a : {k * k - 1, k * k, k * k + 1}) check(a);
    for (std::uint64_t a = UINT64_MAX; a > UINT64_MAX - 3000; --a) check(a);
}

}  // namespace
}  // namespace varnolt::test
