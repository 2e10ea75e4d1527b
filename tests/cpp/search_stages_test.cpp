// The stages below the search driver, each run on records built by hand: the
// radius-condition bound L, the ch2 range of one rank, and the ranks of one q.
#include <gtest/gtest.h>

#include <ostream>
#include <type_traits>
#include <vector>

#include "search_support.hpp"
#include "support.hpp"
#include "tilt_stability/left_pseudo_semistabilizers/fixed_q_beta/fixed_q_beta.hpp"
#include "tilt_stability/left_pseudo_semistabilizers/fixed_q_beta/fixed_r/bound_on_d/lower/lower.hpp"
#include "tilt_stability/left_pseudo_semistabilizers/fixed_q_beta/fixed_r/fixed_r.hpp"
#include "primitives/checked.hpp"

namespace varnolt::test::search {
namespace {

using tilt_stability::left_pseudo_semistabilizers::fixed_q_beta::FixedQBetaData;
using tilt_stability::left_pseudo_semistabilizers::fixed_q_beta::fixed_r::ProblemData;
using tilt_stability::left_pseudo_semistabilizers::fixed_q_beta::fixed_r::LatticeBound;
using tilt_stability::left_pseudo_semistabilizers::fixed_q_beta::fixed_r::bound_on_d::lower::
    radius_condition_prob2;

// What modulo_inverse gives for a modulus of 1; an integral β never reads it.
constexpr const char* no_inverse = "both arguments to modulo_inverse must be positive";
constexpr std::int64_t two_pow_32 = std::int64_t{1} << 32;

// ---- Radius condition: L = r·β²/2 + β·q with β = m/n and q = q_numer/n ----

struct LowerRow {
    std::int64_t m, n, q_numer, r;
    Ratio lower;  // in lowest terms
};

std::ostream& operator<<(std::ostream& out, const LowerRow& row) {
    return out << "(m, n, q_numer, r) = (" << row.m << ", " << row.n << ", " << row.q_numer << ", "
               << row.r << ") -> L = " << row.lower.numer << "/" << row.lower.denom;
}

// L as a Ratio, from the integer A = 2n²·L split into quotient·n² + remainder.
Ratio as_ratio(const LatticeBound& bound, std::int64_t n) {
    const primitives::wide n_squared = static_cast<primitives::wide>(n) * n;
    EXPECT_LE(0, bound.remainder);
    EXPECT_LT(bound.remainder, n_squared);
    const std::int64_t a = primitives::narrow(bound.quotient * n_squared + bound.remainder);
    return Ratio::new_(a, primitives::narrow(2 * n_squared));
}

Ratio radius_lower_bound(std::int64_t m, std::int64_t n, std::int64_t q_numer, std::int64_t r) {
    // Neither v nor c enters L.
    const Search search({1, 0, 0}, Ratio::new_(m, n), 1);
    const FixedQBetaData fixed_q{search.data, q_numer};
    return as_ratio(radius_condition_prob2(ProblemData{fixed_q, r, 0}), n);
}

class RadiusCondition : public testing::TestWithParam<LowerRow> {};

TEST_P(RadiusCondition, GivesTheLowerBoundOnCh2) {
    const LowerRow& row = GetParam();
    EXPECT_EQ(radius_lower_bound(row.m, row.n, row.q_numer, row.r), row.lower);
}

INSTANTIATE_TEST_SUITE_P(
    Table, RadiusCondition,
    testing::Values(LowerRow{-1, 1, 1, 1, {-1, 2}}, LowerRow{-1, 1, 2, 3, {-1, 2}},
                    LowerRow{-3, 2, 3, 1, {-9, 8}}, LowerRow{-3, 2, 3, 9, {63, 8}},
                    LowerRow{-2, 3, 5, 2, {-2, 3}},    // −6/9 reduced
                    LowerRow{-2, 3, 5, 11, {4, 3}}, LowerRow{1, 2, 1, 1, {3, 8}},
                    LowerRow{0, 1, 5, 7, {0, 1}},      // β = 0
                    LowerRow{-5, 4, 0, 3, {75, 32}},   // q = 0: r·β²/2 alone
                    LowerRow{-7, 6, 4, -2, {-77, 36}}, // negative r; q = 4/6 = 2/3
                    LowerRow{3, 5, -2, 0, {-6, 25}})); // r = 0: β·q alone

TEST(RadiusConditionOverflow, SquareOfA32BitDenominatorIsAnError) {
    for (const std::int64_t r : {5, 0}) {
        SCOPED_TRACE(r);
        EXPECT_THROW(radius_lower_bound(1, two_pow_32, 1, r), primitives::ArithmeticOverflow);
    }
}

// ---- One rank: the ch2 strictly above L and at most the least upper bound ----

struct RankRow {
    const char* fact;
    Triple v;  // only v.r and v.c are read
    std::int64_t m, n, q_numer, r, c;
    Candidates expected;
};

std::ostream& operator<<(std::ostream& out, const RankRow& row) { return out << row.fact; }

Outcome<Candidates> solve_rank(const Triple& v, std::int64_t m, std::int64_t n, std::int64_t q_numer,
                               std::int64_t r, std::int64_t c) {
    const Search search(v, Ratio::new_(m, n), 1);
    const FixedQBetaData fixed_q{search.data, q_numer};
    return listed(ProblemData{fixed_q, r, c}.find_all());
}

class FixedRank : public testing::TestWithParam<RankRow> {};

TEST_P(FixedRank, ListsTheAdmissibleCh2InIncreasingOrder) {
    const RankRow& row = GetParam();
    const Outcome<Candidates> found = solve_rank(row.v, row.m, row.n, row.q_numer, row.r, row.c);
    ASSERT_TRUE(found) << found.error();
    EXPECT_EQ(*found, row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FixedRank,
    testing::Values(
        RankRow{"L = -2 (d = -4 excluded), only q^2/2r bound U = 0 (d = 0 included)",
                {1, 1, 0}, -2, 1, 2, 1, 0, d_range(1, 0, -3, 0)},
        RankRow{"r > v.r: bound above v (0) is below q^2/2r (1/4)",
                {1, 3, 0}, -2, 1, 3, 2, -1, d_range(2, -1, -3, 0)},
        RankRow{"2r < v.r: bound below half v (-1/2) is below q^2/2r (1/2)",
                {4, -1, 0}, -1, 1, 2, 1, 1, d_range(1, 1, -2, -1)},
        RankRow{"L = 3/2, U = q^2/2r = 25/14 < 21/2: no lattice point, empty success",
                {5, 3, 0}, -1, 1, 2, 7, -5, {}},
        RankRow{"r = 0 < v.r: U = L + delta*q/v.r = 1 over L = 1/2, one candidate",
                {1, 2, 0}, 1, 2, 2, 0, 1, candidates({{0, 1, 2}})},
        RankRow{"r = -4, v.r = -5: both bounds present, the lesser (-4) wins over 12",
                {-5, -3, 0}, 2, 1, 1, -4, -7, d_range(-4, -7, -11, -8)},
        // β = 1/2^31: the scaled caps 2^98/2^30 and 2^94/2^30 have cross products of 2^128.
        RankRow{"caps near 2^126 compare exactly: U = 2^64 over n^2 = 2^62 gives d = 1 ... 4",
                {0, two_pow(18) + two_pow(16), 0}, 1, two_pow(31), two_pow(49), two_pow(30), 0,
                d_range(two_pow(30), 0, 1, 4)},
        RankRow{"caps near 2^142 as cross products: the lesser cap 25·2^22 is below the threshold",
                {0, two_pow(20) + 5, 0}, 1, two_pow(31), two_pow(51), two_pow(40), 0, {}}));

TEST(FixedRankMessages, NoUpperBoundWhenRankAndRankOfVAreZero) {
    const Outcome<Candidates> found = solve_rank({0, 2, 4}, 1, 1, 1, 0, 1);
    EXPECT_EQ(message_of(found), "logical error, all upper bounds are None");
}

// ---- One q: the ranks r0, r0 + n, ... up to X², with c growing by m ----

struct QRow {
    Triple v;
    std::int64_t m, n;
    Outcome<std::int64_t> m_inverse;
    std::int64_t q_numer;
    std::int64_t r0, c0, rank_count;  // ranks r0 + j·n with c0 + j·m, j < rank_count
    Candidates expected;
};

std::ostream& operator<<(std::ostream& out, const QRow& row) {
    return out << "v = (" << row.v[0] << ", " << row.v[1] << ", " << row.v[2]
               << "), beta = " << row.m << "/" << row.n << ", q_numer = " << row.q_numer;
}

class FixedQ : public testing::TestWithParam<QRow> {};

TEST_P(FixedQ, JoinsTheRanksOfItsResidueClassInOrder) {
    const QRow& row = GetParam();
    const Search search(row.v, Ratio::new_(row.m, row.n), row.m_inverse);
    const FixedQBetaData fixed_q{search.data, row.q_numer};
    const Outcome<Candidates> found = listed(fixed_q.find_all());
    ASSERT_TRUE(found) << found.error();
    EXPECT_EQ(*found, row.expected);

    // The same list, rank by rank, from the ranks and ch1 this q admits.
    Candidates joined;
    for (std::int64_t j = 0; j < row.rank_count; ++j) {
        const Outcome<Candidates> of_rank =
            listed(ProblemData{fixed_q, row.r0 + j * row.n, row.c0 + j * row.m}.find_all());
        ASSERT_TRUE(of_rank) << of_rank.error();
        joined.insert(joined.end(), of_rank->begin(), of_rank->end());
    }
    EXPECT_EQ(*found, joined);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FixedQ,
    testing::Values(
        // X = 6, r_max = 36: ranks 1, 4, ..., 34 with c = 0, -1, ..., -11.
        QRow{{3, 1, -1}, -1, 3, 2, 1, 1, 0, 12, candidates({{1, 0, 0}})},
        // v.r·q/X = 1 exactly is excluded: ranks 2, 5, ..., 35.
        QRow{{3, 1, -1}, -1, 3, 2, 2, 2, 0, 12, candidates({{2, 0, 0}})},
        // Ranks 2, 5, 8 with c = 1, 2, 3, none with a candidate.
        QRow{{3, 2, 1}, 1, 3, 1, 1, 2, 1, 3, {}},
        // r_min = 3 is not admissible; ranks 4, 7 with c = 2, 3.
        QRow{{3, 2, 1}, 1, 3, 1, 2, 4, 2, 2, candidates({{4, 2, 1}})},
        // n = 1: every rank 1, ..., 4 = X², the stored message is not read.
        QRow{{0, 2, 4}, 1, 1, std::unexpected(no_inverse), 1, 1, 2, 4, candidates({{1, 2, 4}})},
        // X = 9: ranks 1, 4, ..., 79 with c = 1, 3, ..., 53.
        QRow{{0, 3, 4}, 2, 3, 2, 1, 1, 1, 27, candidates({{1, 1, 1}})},
        // X = 10: r_min = 3, first admissible rank 6; ranks up to 96.
        QRow{{5, 3, 1}, 1, 5, 1, 4, 6, 2, 19, candidates({{16, 4, 1}})},
        // v.r·q/X = 3 exactly is excluded: ranks 4, 9, ..., 99.
        QRow{{5, 3, 1}, 1, 5, 1, 6, 4, 2, 20, candidates({{4, 2, 1}, {9, 3, 1}})},
        // X = 2: r_min = 5 exceeds r_max = 4, so there is no rank at all.
        QRow{{9, 2, 0}, 0, 1, std::unexpected(no_inverse), 1, 5, 1, 0, {}}));

struct QMessageRow {
    const char* fact;
    Triple v;
    Ratio beta;  // taken field by field
    Outcome<std::int64_t> m_inverse;
    std::int64_t q_numer;
    const char* message;
};

std::ostream& operator<<(std::ostream& out, const QMessageRow& row) { return out << row.fact; }

class FixedQMessages : public testing::TestWithParam<QMessageRow> {};

TEST_P(FixedQMessages, EndTheRunWithTheirText) {
    const QMessageRow& row = GetParam();
    const Search search(row.v, row.beta, row.m_inverse);
    EXPECT_EQ(message_of(FixedQBetaData{search.data, row.q_numer}.find_all()), row.message);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FixedQMessages,
    testing::Values(
        QMessageRow{"negative rank of v", {-2, 1, 4}, {1, 1}, std::unexpected(no_inverse), 1,
                    "Internal logical error: Negative lower bound on r"},
        QMessageRow{"negative rank is checked before the inverse", {-3, 1, 0}, {1, 3},
                    std::unexpected("modulo inverse does not exist"), 1,
                    "Internal logical error: Negative lower bound on r"},
        QMessageRow{"missing inverse with n >= 2 is passed on", {3, 2, 1}, {1, 3},
                    std::unexpected("modulo inverse does not exist"), 1,
                    "modulo inverse does not exist"},
        QMessageRow{"argument message of the inverse is passed on", {3, 2, 1}, {1, 3},
                    std::unexpected(no_inverse), 2, no_inverse},
        QMessageRow{"a wrong inverse (2 for 1 mod 3) breaks the residue class", {3, 2, 1}, {1, 3}, 2,
                    1, "Internal logical error: Mistake in underlying modular arithmetic"},
        QMessageRow{"non-positive denominator", {1, -5, 0}, {1, -1}, 1, 1, "n must be positive"}));

TEST(FixedQOverflow, DenominatorBeyond32BitsOverflowsBeforeAnyRank) {
    // β = 1/2^32, inverse 1, X = 2^32 − 1: r_max = X² needs (X/n)²·n², beyond 64 bits.
    const Search search({1, 1, 0}, Ratio::new_(1, two_pow_32), 1);
    const FixedQBetaData fixed_q{search.data, 1};
    EXPECT_THROW((void)fixed_q.find_all(), primitives::ArithmeticOverflow);
}

}  // namespace
}  // namespace varnolt::test::search
