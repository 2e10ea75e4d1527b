// The whole search: every candidate left pseudo-semistabilizer of v, ordered by
// q, then rank, then ch2; or the message that ends it.
#include <gtest/gtest.h>

#include <compare>
#include <ostream>
#include <tuple>

#include "search_support.hpp"
#include "tilt_stability/left_pseudo_semistabilizers/left_pseudo_semistabilizers.hpp"
#include "primitives/checked.hpp"

namespace varnolt::test::search {
namespace {

using tilt_stability::Interrupted;

struct SearchRow {
    Triple v;
    Candidates expected;
};

std::ostream& operator<<(std::ostream& out, const SearchRow& row) {
    return out << "v = (" << row.v[0] << ", " << row.v[1] << ", " << row.v[2] << ")";
}

class WholeSearch : public testing::TestWithParam<SearchRow> {};

TEST_P(WholeSearch, FindsTheCandidatesInOrder) {
    const SearchRow& row = GetParam();
    const Outcome<Candidates> found = listed(find_all(chern(row.v)));
    ASSERT_TRUE(found) << found.error();
    EXPECT_EQ(*found, row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, WholeSearch,
    testing::Values(
        SearchRow{{1, 0, -1}, {}},                     // β₋ = −1, X = 1: no q at all
        SearchRow{{0, -2, 2}, {}},                     // β₋ = −1/2, X = −4
        SearchRow{{-1, 1, 0}, {}},                     // negative rank, but X = 1
        SearchRow{{9, 2, 0}, {}},                      // X = 2, least rank 5 above X² = 4
        SearchRow{{1, 1, -3}, candidates({{1, 0, 0}})},  // β₋ = −1, X = 2
        SearchRow{{1, 2, 0}, candidates({{1, 1, 1}})},   // β₋ = 0, X = 2
        SearchRow{{2, 1, -4}, candidates({{1, 0, 0}, {2, 0, -1}, {2, 0, 0}, {3, -1, 0}})},
        // q = 1 (rank 1), q = 2 (ranks 2, 3, 4), q = 3 (ranks 3, 4).
        SearchRow{{3, 1, -5},
                  candidates({{1, 0, 0}, {2, 0, -1}, {2, 0, 0}, {3, -1, 0}, {4, -2, 1},
                              {3, 0, -2}, {3, 0, -1}, {3, 0, 0}, {4, -1, -1}})},
        SearchRow{{3, 2, 1}, candidates({{4, 2, 1}})},  // β₋ = 1/3: found at q = 2/3
        // β₋ = −1/3: q = 1/3, 2/3, 1 and 4/3 (ranks 4 and 7).
        SearchRow{{3, 1, -1}, candidates({{1, 0, 0}, {2, 0, 0}, {3, 0, 0}, {4, 0, 0}, {7, -1, 0}})},
        // β₋ = 1/5: q = 4/5, 6/5 (ranks 4 and 9), 7/5, 8/5, 9/5; not sorted by rank.
        SearchRow{{5, 3, 1},
                  candidates({{16, 4, 1}, {4, 2, 1}, {9, 3, 1}, {8, 3, 1}, {7, 3, 1}, {6, 3, 1}})}));

struct MessageRow {
    Triple v;
    const char* message;
};

std::ostream& operator<<(std::ostream& out, const MessageRow& row) {
    return out << "v = (" << row.v[0] << ", " << row.v[1] << ", " << row.v[2] << ") -> "
               << row.message;
}

class SearchMessages : public testing::TestWithParam<MessageRow> {};

TEST_P(SearchMessages, EndTheSearchWithTheirText) {
    const MessageRow& row = GetParam();
    EXPECT_EQ(message_of(find_all(chern(row.v))), row.message);
}

constexpr const char* irrational = "β_ is not rational: ∞ walls";
constexpr const char* not_real = "β_ is not real: no walls";
constexpr const char* negative_rank = "Internal logical error: Negative lower bound on r";

INSTANTIATE_TEST_SUITE_P(
    Table, SearchMessages,
    testing::Values(MessageRow{{3, 2, -1}, irrational},  // c² − r·d = 7
                    MessageRow{{1, 0, 1}, not_real},     // c² − r·d = −1
                    MessageRow{{0, 0, 5}, not_real},     // rank 0 with c = 0
                    // Δ < 0 beyond 64 bits: no real β₋, before any overflow.
                    MessageRow{{INT64_MAX, 0, INT64_MAX}, not_real},
                    MessageRow{{-1, 1, 3}, negative_rank},   // β₋ = 1, X = 2
                    MessageRow{{-2, 1, 4}, negative_rank},   // β₋ = 1, X = 3
                    MessageRow{{-3, 5, -8}, negative_rank}));  // β₋ = −4/3, X = 3

TEST(SearchOverflow, ValuesBeyond64BitsAreErrors) {
    EXPECT_THROW((void)find_all(chern({1, std::int64_t{1} << 32, 0})), primitives::ArithmeticOverflow);
    EXPECT_THROW((void)find_all(chern({0, std::int64_t{1} << 62, 1})), primitives::ArithmeticOverflow);
}

// Twisted ch1 of a candidate, scaled by n: k = c·n − r·m.
std::int64_t q_numer_of(const ChernChar<2>& u, const Ratio& beta) {
    return u.c.coeff * beta.denom - u.r * beta.numer;
}

TEST(SearchOrder, StrictlyIncreasingByQThenRankThenCh2) {
    const std::vector<std::pair<Triple, Ratio>> searches = {
        {{3, 1, -5}, {-1, 1}}, {{3, 1, -1}, {-1, 3}}, {{5, 3, 1}, {1, 5}}, {{4, 1, -2}, {-1, 2}}};
    for (const auto& [v, beta] : searches) {
        SCOPED_TRACE(chern(v));
        const Outcome<Candidates> found = listed(find_all(chern(v)));
        ASSERT_TRUE(found) << found.error();
        ASSERT_FALSE(found->empty());
        const std::int64_t x = v[1] * beta.denom - v[0] * beta.numer;
        for (std::size_t i = 0; i < found->size(); ++i) {
            const ChernChar<2>& u = (*found)[i];
            const std::int64_t k = q_numer_of(u, beta);
            EXPECT_TRUE(0 < k && k < x) << u;
            if (i == 0) continue;
            const ChernChar<2>& before = (*found)[i - 1];
            EXPECT_LT(std::tuple(q_numer_of(before, beta), before.r, before.d.numerator),
                      std::tuple(k, u.r, u.d.numerator))
                << before << " then " << u;
        }
    }
}

TEST(SearchInterrupt, AQuietPollChangesNothingAndAStopRequestEndsTheSearch) {
    // β₋ = 0, X = 40: tens of thousands of ranks to visit.
    const ChernChar<2> v = chern({1, 40, 0});
    InterruptPoll quiet([] { return false; });
    const Outcome<Candidates> polled = listed(find_all(v, quiet));
    const Outcome<Candidates> plain = listed(find_all(v));
    ASSERT_TRUE(polled && plain);
    EXPECT_EQ(*polled, *plain);

    // A search long enough to reach a poll (it would list hundreds of
    // millions of candidates) ends at the first one.
    InterruptPoll stop([] { return true; });
    EXPECT_THROW((void)find_all(chern({1, 400, 0}), stop), Interrupted);
}

}  // namespace
}  // namespace varnolt::test::search
