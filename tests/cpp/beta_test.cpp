// β₋ of a Chern character: exact where rational, nothing where not, and an
// overflow error where a value it needs leaves 64 bits.
#include <gtest/gtest.h>

#include <optional>
#include <ostream>

#include "search_support.hpp"
#include "tilt_stability/beta.hpp"
#include "primitives/checked.hpp"

namespace varnolt::test::search {
namespace {

using tilt_stability::β_;

constexpr std::int64_t p(int k) { return std::int64_t{1} << k; }

struct BetaRow {
    Triple v;
    std::optional<Ratio> beta;  // written in lowest terms: both fields are compared
};

std::ostream& operator<<(std::ostream& out, const BetaRow& row) {
    out << "(" << row.v[0] << ", " << row.v[1] << ", " << row.v[2] << ") -> ";
    if (!row.beta) return out << "nothing";
    return out << row.beta->numer << "/" << row.beta->denom;
}

constexpr Ratio Q(std::int64_t numer, std::int64_t denom = 1) { return {numer, denom}; }

class BetaTable : public testing::TestWithParam<BetaRow> {};

TEST_P(BetaTable, GivesTheExactValueOrNothing) {
    const BetaRow& row = GetParam();
    const std::optional<Ratio> beta = β_(chern(row.v));
    ASSERT_EQ(beta.has_value(), row.beta.has_value());
    if (beta) {
        EXPECT_EQ(*beta, *row.beta);
    }
}

INSTANTIATE_TEST_SUITE_P(
    PositiveRank, BetaTable,
    testing::Values(BetaRow{{1, 1, -3}, Q(-1)},     // c² − rd = 4
                    BetaRow{{2, 1, -4}, Q(-1)},     // 9
                    BetaRow{{3, 2, -4}, Q(-2, 3)},  // 16
                    BetaRow{{5, 3, 1}, Q(1, 5)},    // 4
                    BetaRow{{2, 3, 4}, Q(1)},       // 1
                    BetaRow{{4, 0, 0}, Q(0)},       // 0: the double root
                    BetaRow{{3, 2, -1}, std::nullopt},    // 7 is not a square
                    BetaRow{{1, 0, -2}, std::nullopt},    // 2
                    BetaRow{{1, 0, 1}, std::nullopt},     // −1 is negative
                    BetaRow{{7, -3, 1}, std::nullopt}));  // 2

INSTANTIATE_TEST_SUITE_P(
    NegativeRank, BetaTable,
    testing::Values(BetaRow{{-2, 1, 4}, Q(1)},          // (1 − 3)/(−2)
                    BetaRow{{-3, 5, -8}, Q(-4, 3)}));  // (5 − 1)/(−3)

INSTANTIATE_TEST_SUITE_P(
    RankZero, BetaTable,
    testing::Values(BetaRow{{0, 2, 3}, Q(3, 4)}, BetaRow{{0, 3, 3}, Q(1, 2)},
                    BetaRow{{0, -2, 2}, Q(-1, 2)}, BetaRow{{0, -3, 1}, Q(-1, 6)},
                    BetaRow{{0, 5, -7}, Q(-7, 10)}, BetaRow{{0, 4, 0}, Q(0)},
                    BetaRow{{0, 0, 5}, std::nullopt},  // c = 0: no root at all
                    BetaRow{{0, 1, INT64_MIN}, Q(-p(62))}));

TEST(Beta, OverflowOfTheDiscriminantIsAnError) {
    // c² − r·d = 2^64 does not fit, although β₋ = 0 is rational.
    EXPECT_THROW(β_(chern({1, p(32), 0})), primitives::ArithmeticOverflow);
}

TEST(Beta, RankZeroQuotientBeyond64BitsIsAnError) {
    // ch2/c = (1/2)/2^62 = 1/2^63: rational, but its denominator does not fit.
    EXPECT_THROW(β_(chern({0, p(62), 1})), primitives::ArithmeticOverflow);
}

TEST(Beta, LargeValuesThatFitAreExact) {
    // c = 3·10^9, r = c + 1, d = c − 1: c² − r·d = 1, so β₋ = (c − 1)/(c + 1).
    const std::int64_t c = 3'000'000'000;
    EXPECT_EQ(β_(chern({c + 1, c, c - 1})), std::optional{Q(c - 1, c + 1)});
}

}  // namespace
}  // namespace varnolt::test::search
