// The module's search against the plain per-rank enumeration: the same list in
// the same order, or the same message, or overflow in both.
#include <gtest/gtest.h>

#include <numeric>
#include <random>
#include <string>

#include "oracle/per_rank_search.hpp"
#include "search_support.hpp"
#include "tilt_stability/beta.hpp"
#include "primitives/checked.hpp"

namespace {

using varnolt::chern_character::ChernChar;
namespace search = varnolt::test::search;

// The outcome as text: the candidates in order, the message, or "overflow".
template <typename Search>
std::string outcome_text(Search search) {
    try {
        const auto found = search();
        if (!found) return std::string("message: ") + found.error();
        std::string text = std::to_string(found->size()) + " candidates:";
        for (const auto& u : *found)
            text += " " + std::to_string(u.r) + "," + std::to_string(u.c.coeff) + "," +
                    std::to_string(u.d.numerator);
        return text;
    } catch (const varnolt::primitives::ArithmeticOverflow&) {
        return "overflow";
    }
}

void expect_same_outcome(const ChernChar<2>& v) {
    EXPECT_EQ(outcome_text([&] { return search::listed(search::find_all(v)); }),
              outcome_text([&] { return varnolt_oracle::per_rank_find_all(v).result; }))
        << "v = (" << v.r << ", " << v.c.coeff << ", " << v.d.numerator << ")";
}

// A Chern character of rank r > 0 whose β₋ is m/n: n divides r, and
// c² − r·d = s² for c = s + r·m/n.
std::optional<ChernChar<2>> with_rational_beta(std::int64_t r, std::int64_t m, std::int64_t n,
                                               std::int64_t s) {
    if (r % n != 0 || std::gcd(m, n) != 1) return std::nullopt;
    const std::int64_t c = s + r / n * m;
    if ((c * c - s * s) % r != 0) return std::nullopt;
    return ChernChar<2>{r, {c}, {(c * c - s * s) / r}};
}

// The per-rank enumeration visits about X³/n ranks; small entries can still
// make X large (rank 0 with β₋ = d/(2c) has X = c·n), so those are left to the
// large cases below.
bool cheap_for_the_oracle(const ChernChar<2>& v) {
    const auto beta = varnolt::tilt_stability::β_(v);
    if (!beta) return true;
    const double x = double(v.c.coeff) * double(beta->denom) - double(v.r) * double(beta->numer);
    return x * x * x / double(beta->denom) < 2e5;
}

TEST(SearchAgainstPerRankEnumeration, SmallRandomChernCharacters) {
    std::mt19937_64 random(20261207);
    std::uniform_int_distribution<std::int64_t> rank(-3, 10), entry(-30, 30);
    int tried = 0;
    while (tried < 400) {
        const ChernChar<2> v{rank(random), {entry(random)}, {entry(random)}};
        if (!cheap_for_the_oracle(v)) continue;
        expect_same_outcome(v);
        ++tried;
    }
}

TEST(SearchAgainstPerRankEnumeration, SmallRationalBeta) {
    std::mt19937_64 random(7);
    std::uniform_int_distribution<std::int64_t> factor(1, 4), numer(-12, 12), denom(1, 6), root(0, 8);
    int tried = 0;
    while (tried < 300) {
        const std::int64_t n = denom(random);
        if (auto v = with_rational_beta(n * factor(random), numer(random), n, root(random))) {
            expect_same_outcome(*v);
            ++tried;
        }
    }
}

// Larger denominators, where most residue classes of ranks hold no candidate
// and the search skips them.
TEST(SearchAgainstPerRankEnumeration, RationalBetaWithLargerDenominators) {
    std::mt19937_64 random(11);
    std::uniform_int_distribution<std::int64_t> factor(1, 3), numer(-60, 60), denom(7, 40), root(0, 3);
    int tried = 0;
    while (tried < 60) {
        const std::int64_t n = denom(random);
        const auto v = with_rational_beta(n * factor(random), numer(random), n, root(random));
        if (!v || !cheap_for_the_oracle(*v)) continue;
        expect_same_outcome(*v);
        ++tried;
    }
}

// (p, p − 2, p − 4) for a prime p: β₋ = (p − 4)/p, X = 2p, six candidates
// among about 8p² ranks.
TEST(SearchAgainstPerRankEnumeration, FewCandidatesAmongManyRanks) {
    for (const std::int64_t p : {11, 53, 101, 211}) expect_same_outcome({p, {p - 2}, {p - 4}});
}

// Rank 0 with β₋ = d/(2c): X = c·n in the hundreds, where the per-rank
// enumeration visits up to a million ranks and nearly all are empty.
TEST(SearchAgainstPerRankEnumeration, LargeSparseRankZero) {
    for (const auto& v : std::vector<ChernChar<2>>{
             {0, {17}, {30}}, {0, {11}, {-7}}, {0, {13}, {20}}, {0, {12}, {5}}, {0, {9}, {-40}}})
        expect_same_outcome(v);
}

// Positive rank with n up to 50 and X = n·√(c² − r·d) up to about 1000.
TEST(SearchAgainstPerRankEnumeration, LargeRationalBetaOfPositiveRank) {
    for (const auto& [r, m, n, s] : std::vector<std::array<std::int64_t, 4>>{
             {100, -9, 50, 9}, {63, -13, 21, 9}, {84, -5, 42, 5}, {16, -13, 8, 5},
             {1, -3, 1, 40}, {45, 1, 45, 22}}) {
        const auto v = with_rational_beta(r, m, n, s);
        ASSERT_TRUE(v) << r << " " << m << " " << n << " " << s;
        expect_same_outcome(*v);
    }
}

}  // namespace
