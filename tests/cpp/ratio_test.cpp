// Ratio: normalisation, arithmetic with its cancellations, checked overflow,
// the internal stops, checked_div and the exact order.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>
#include <utility>

#include "support.hpp"
#include "primitives/checked.hpp"

namespace varnolt::test {
namespace {

using ratio::Ordering;
using primitives::ArithmeticOverflow;

struct GcdRow { std::int64_t a, b, gcd; };
TEST(Gcd, MatchesTable) {
    const GcdRow rows[] = {
        {0, 0, 0}, {0, -6, 6}, {-6, 0, 6}, {12, 18, 6}, {-12, 18, 6}, {12, -18, 6},
        {17, 5, 1}, {two_pow(62), 3 * two_pow(61), two_pow(61)}, {int_max, 49, 49},
        // |-2^63| has no 64-bit value: it keeps the bit pattern of -2^63.
        {int_min, 0, int_min}, {0, int_min, int_min}, {int_min, int_min, int_min},
        {int_min, 12, 4}, {int_min, 3, 1}, {int_min, two_pow(40), two_pow(40)},
    };
    for (const auto& [a, b, g] : rows) EXPECT_EQ(ratio::gcd(a, b), g) << a << ", " << b;
}

TEST(Lcm, MatchesTableAndChecksOverflow) {
    const GcdRow rows[] = {{4, 6, 12}, {-4, 6, 12}, {21, -6, 42}, {0, 0, 0}, {0, 5, 0}};
    for (const auto& [a, b, l] : rows) EXPECT_EQ(ratio::lcm(a, b), l) << a << ", " << b;
    EXPECT_THROW(ratio::lcm(two_pow(62), 3), ArithmeticOverflow);
}

struct NewRow { std::int64_t numer, denom; Ratio expected; };
TEST(RatioNew, NormalisesToLowestTermsWithPositiveDenominator) {
    const NewRow rows[] = {
        {4, -6, Q(-2, 3)}, {0, -5, Q(0)}, {7, 7, Q(1)}, {-3, -3, Q(1)}, {6, 3, Q(2)},
        {-9, -12, Q(3, 4)}, {int_min, 2, Q(-two_pow(62))}, {2, int_min, Q(-1, two_pow(62))},
        {int_min, int_min, Q(1)}, {0, int_min, Q(0)}, {int_max, int_max - 1, Q(int_max, int_max - 1)},
    };
    for (const auto& [n, d, expected] : rows) EXPECT_EQ(Ratio::new_(n, d), expected) << n << "/" << d;
}

// Each row computes one expression; the rows with cancellation would overflow
// if the common factors were not removed before multiplying.
struct ArithRow { const char* name; Ratio (*compute)(); Ratio expected; };
class Arithmetic : public testing::TestWithParam<ArithRow> {};
TEST_P(Arithmetic, GivesReducedValue) { EXPECT_EQ(GetParam().compute(), GetParam().expected); }
INSTANTIATE_TEST_SUITE_P(Ratio, Arithmetic, testing::Values(
    ArithRow{"half_plus_third", [] { return Q(1, 2) + Q(1, 3); }, Q(5, 6)},
    ArithRow{"sixth_plus_third_reduces", [] { return Q(1, 6) + Q(1, 3); }, Q(1, 2)},
    ArithRow{"half_minus_third", [] { return Q(1, 2) - Q(1, 3); }, Q(1, 6)},
    ArithRow{"half_plus_half", [] { return Q(1, 2) + Q(1, 2); }, Q(1)},
    ArithRow{"difference_to_zero", [] { return Q(3, 7) - Q(3, 7); }, Q(0)},
    ArithRow{"negative_sum", [] { return Q(-1, 4) + Q(1, 6); }, Q(-1, 12)},
    ArithRow{"sum_reaching_min", [] { return Q(-two_pow(62)) - Q(two_pow(62)); }, Q(int_min)},
    ArithRow{"sum_over_lcm_not_product",
             [] { return Q(1, two_pow(61)) + Q(1, 3 * two_pow(60)); }, Q(5, 3 * two_pow(61))},
    ArithRow{"plus_integer", [] { return Q(1, 3) + 2; }, Q(7, 3)},
    ArithRow{"times_integer", [] { return ratio::mul(Q(3, 4), 6); }, Q(9, 2)},
    ArithRow{"times_zero", [] { return ratio::mul(Q(5, 3), 0); }, Q(0)},
    ArithRow{"times_negative", [] { return ratio::mul(Q(-3, 4), -2); }, Q(3, 2)},
    ArithRow{"times_cancels_first", [] { return ratio::mul(Q(3, two_pow(62)), two_pow(62)); }, Q(3)},
    ArithRow{"over_integer", [] { return ratio::div(Q(3, 4), 6); }, Q(1, 8)},
    ArithRow{"zero_over_integer", [] { return ratio::div(Q(0), 5); }, Q(0)},
    ArithRow{"over_negative", [] { return ratio::div(Q(3, 4), -3); }, Q(-1, 4)},
    ArithRow{"over_cancels_first", [] { return ratio::div(Q(two_pow(62), 3), two_pow(62)); }, Q(1, 3)},
    ArithRow{"product", [] { return Q(2, 3) * Q(9, 4); }, Q(3, 2)},
    ArithRow{"product_to_one", [] { return Q(2, 3) * Q(3, 2); }, Q(1)},
    ArithRow{"product_cancels_numer_with_denom",
             [] { return Q(two_pow(62), 3) * Q(5, two_pow(61)); }, Q(10, 3)},
    ArithRow{"product_cancels_denom_with_numer",
             [] { return Q(3, two_pow(62)) * Q(two_pow(61), 5); }, Q(3, 10)},
    ArithRow{"negation", [] { return -Q(3, 4); }, Q(-3, 4)},
    ArithRow{"square", [] { return ratio::pow(Q(-2, 3), 2); }, Q(4, 9)},
    ArithRow{"square_of_integer", [] { return ratio::pow(Q(-5), 2); }, Q(25)},
    ArithRow{"square_of_zero", [] { return ratio::pow(Q(0), 2); }, Q(0)},
    ArithRow{"square_near_limit", [] { return ratio::pow(Q(two_pow(31), 3), 2); }, Q(two_pow(62), 9)},
    ArithRow{"cube", [] { return ratio::pow(Q(-2, 3), 3); }, Q(-8, 27)},
    ArithRow{"zeroth_power", [] { return ratio::pow(Q(-2, 3), 0); }, Q(1)}),
    row_name<ArithRow>);

// Results outside the signed 64-bit range raise instead of wrapping.
struct OverflowRow { const char* name; Ratio (*compute)(); };
class Overflow : public testing::TestWithParam<OverflowRow> {};
TEST_P(Overflow, RaisesArithmeticOverflow) {
    try {
        const Ratio wrapped = GetParam().compute();
        ADD_FAILURE() << "returned " << wrapped;
    } catch (const ArithmeticOverflow& e) {
        EXPECT_STREQ(e.what(), "arithmetic overflow: value outside the signed 64-bit range");
    }
}
INSTANTIATE_TEST_SUITE_P(Ratio, Overflow, testing::Values(
    OverflowRow{"sum", [] { return Q(two_pow(62)) + Q(two_pow(62)); }},
    OverflowRow{"difference", [] { return Q(-two_pow(62)) - Q(two_pow(62) + 1); }},
    OverflowRow{"common_denominator", [] { return Q(1, two_pow(62)) + Q(1, 3); }},
    OverflowRow{"negation_of_min", [] { return -Q(int_min); }},
    OverflowRow{"plus_integer", [] { return Q(int_max) + 1; }},
    OverflowRow{"times_integer", [] { return ratio::mul(Q(two_pow(62)), 2); }},
    OverflowRow{"over_integer", [] { return ratio::div(Q(1, two_pow(62)), 4); }},
    OverflowRow{"product", [] { return Q(two_pow(32)) * Q(two_pow(31)); }},
    OverflowRow{"square", [] { return ratio::pow(Q(two_pow(32)), 2); }},
    OverflowRow{"square_of_denominator", [] { return ratio::pow(Q(1, 3037000500), 2); }},
    OverflowRow{"new_with_denominator_min", [] { return Ratio::new_(1, int_min); }}),
    row_name<OverflowRow>);

struct StopRow { const char* name; void (*run)(); const char* message; };
class Stops : public testing::TestWithParam<StopRow> {};
TEST_P(Stops, EndWithMessage) { EXPECT_EQ(stop_message(GetParam().run), GetParam().message); }
INSTANTIATE_TEST_SUITE_P(Ratio, Stops, testing::Values(
    StopRow{"new_zero_denominator", [] { Ratio::new_(5, 0); }, "denominator == 0"},
    StopRow{"nonzero_over_zero", [] { ratio::div(Q(3, 4), 0); }, "denominator == 0"},
    StopRow{"zero_over_zero", [] { ratio::div(Q(0), 0); }, "attempt to divide by zero"},
    StopRow{"add_one_zero_denominator", [] { Q(1, 0) + Q(1, 2); }, "attempt to divide by zero"},
    StopRow{"add_both_zero_denominators", [] { Q(1, 0) + Q(3, 0); }, "denominator == 0"},
    StopRow{"to_integer_zero_denominator", [] { ratio::to_integer(Q(1, 0)); }, "attempt to divide by zero"},
    StopRow{"cmp_zero_denominator", [] { ratio::cmp(Q(1, 0), Q(2, 3)); }, "attempt to divide by zero"},
    StopRow{"to_integer_min_over_minus_one", [] { ratio::to_integer(Q(int_min, -1)); },
            "attempt to divide with overflow"},
    StopRow{"remainder_by_zero", [] { primitives::guarded_rem(5, 0); },
            "attempt to calculate the remainder with a divisor of zero"},
    StopRow{"remainder_min_by_minus_one", [] { primitives::guarded_rem(int_min, -1); },
            "attempt to calculate the remainder with overflow"}),
    row_name<StopRow>);

TEST(ToInteger, TruncatesTowardZero) {
    const std::pair<Ratio, std::int64_t> rows[] = {
        {Q(-7, 2), -3}, {Q(7, 2), 3}, {Q(-4), -4}, {Q(0), 0}, {Q(int_min), int_min}};
    for (const auto& [x, n] : rows) EXPECT_EQ(ratio::to_integer(x), n) << x;
}

struct CheckedDivRow { Ratio x, y; std::optional<Ratio> quotient; };
TEST(CheckedDiv, GivesQuotientOrNothing) {
    const CheckedDivRow rows[] = {
        {Q(1, 2), Q(3), Q(1, 6)}, {Q(0), Q(5, 7), Q(0)}, {Q(4, 7), Q(4, 7), Q(1)},
        {Q(3, 5), Q(6, 5), Q(1, 2)},    // equal denominators
        {Q(2, 3), Q(2, 9), Q(3)},       // equal numerators
        {Q(1, 2), Q(-1, 3), Q(-3, 2)},  // sign moves to the numerator
        {Q(5, 3), Q(0), std::nullopt},
        {Q(two_pow(62), 3), Q(5, 7), std::nullopt},  // 2^62 * 7 does not fit
        {Q(3, 7), Q(two_pow(62) + 1, 11), std::nullopt},
        {Q(int_min), Q(1), Q(int_min)},
        {Q(int_min), Q(-1), std::nullopt},           // 2^63 does not fit
        // Common factors cancel before multiplying.
        {Q(two_pow(62), 3), Q(two_pow(61), 9), Q(6)},
        {Q(5, 3 * two_pow(60)), Q(7, two_pow(61)), Q(10, 21)},
    };
    for (const auto& [x, y, quotient] : rows)
        EXPECT_EQ(ratio::checked_div(x, y), quotient) << x << " / " << y;
}

Ordering reversed(Ordering o) {
    return o == Ordering::Less ? Ordering::Greater : o == Ordering::Greater ? Ordering::Less : o;
}

struct CmpRow { Ratio x, y; Ordering order; };
TEST(Cmp, OrdersPairsExactly) {
    constexpr std::int64_t m = int_max;
    const CmpRow rows[] = {
        {Q(1, 3), Q(1, 2), Ordering::Less}, {Q(-1, 2), Q(-1, 3), Ordering::Less},
        {Q(7, 3), Q(9, 4), Ordering::Greater},  // same floor 2, then 3 against 4
        {Q(-1, 2), Q(1, 3), Ordering::Less}, {Q(-7, 2), Q(-4), Ordering::Greater},
        {Q(5), Q(5), Ordering::Equal}, {Q(0), Q(0), Ordering::Equal},
        {Q(3, 7), Q(3, 8), Ordering::Greater}, {Q(-3, 7), Q(-3, 8), Ordering::Less},
        {Q(2), Q(5, 2), Ordering::Less},  // integral against fractional
        // Cross products beyond 64 bits.
        {Q(two_pow(62) + 1, 2), Q(3 * two_pow(61) + 2, 3), Ordering::Less},
        {Q(m, m - 1), Q(m - 1, m - 2), Ordering::Less},
        {Q(-m, m - 1), Q(-(m - 1), m - 2), Ordering::Greater},
        {Q(m - 1, m), Q(m - 2, m - 1), Ordering::Greater},
        {Q(int_min, m), Q(-m, m - 1), Ordering::Greater},
        {Q(int_min), Q(-m, 2), Ordering::Less},
    };
    for (const auto& [x, y, order] : rows) {
        EXPECT_EQ(ratio::cmp(x, y), order) << x << " vs " << y;
        EXPECT_EQ(ratio::cmp(y, x), reversed(order)) << y << " vs " << x;
    }
}

// Random reduced values of every magnitude, many of them close neighbours with
// equal integer parts, compared against the exact 128-bit cross products.
TEST(Cmp, AgreesWithExactCrossMultiplication) {
    std::mt19937_64 rng(20240611);
    const auto random_ratio = [&rng] {
        const std::int64_t numer = static_cast<std::int64_t>(rng()) >> (rng() % 63);
        const auto denom = static_cast<std::int64_t>(rng() >> (1 + rng() % 63));
        return Ratio::new_(numer, std::max<std::int64_t>(denom, 1));
    };
    const auto near = [&rng](const Ratio& x) {
        const primitives::wide numer = x.numer + static_cast<primitives::wide>(rng() % 7) - 3;
        const primitives::wide denom = x.denom + static_cast<primitives::wide>(rng() % 7) - 3;
        if (numer < int_min || numer > int_max || denom < 1 || denom > int_max) return x;
        return Ratio::new_(static_cast<std::int64_t>(numer), static_cast<std::int64_t>(denom));
    };
    for (int i = 0; i < 200000; ++i) {
        const Ratio x = random_ratio();
        const Ratio y = i % 2 == 0 ? near(x) : random_ratio();
        const primitives::wide lhs = static_cast<primitives::wide>(x.numer) * y.denom;
        const primitives::wide rhs = static_cast<primitives::wide>(y.numer) * x.denom;
        const Ordering exact = lhs < rhs ? Ordering::Less : lhs > rhs ? Ordering::Greater : Ordering::Equal;
        ASSERT_EQ(ratio::cmp(x, y), exact) << x << " vs " << y;
    }
}

}  // namespace
}  // namespace varnolt::test
