// Where the search puts what it finds: candidate runs and their invariant, the
// sink that holds them under a candidate limit, the sink that only counts, and
// the expansion into one Chern character per candidate.
#include <gtest/gtest.h>

#include <new>
#include <vector>

#include "search_support.hpp"
#include "support.hpp"
#include "tilt_stability/left_pseudo_semistabilizers/fixed_q_beta/fixed_q_beta.hpp"
#include "tilt_stability/left_pseudo_semistabilizers/fixed_q_beta/fixed_r/fixed_r.hpp"
#include "tilt_stability/left_pseudo_semistabilizers/left_pseudo_semistabilizers.hpp"
#include "tilt_stability/search.hpp"

namespace varnolt::test::search {
namespace {

using tilt_stability::CandidateLimit;
using tilt_stability::CandidateLimitReached;
using tilt_stability::CandidateRun;
using tilt_stability::CandidateRuns;
using tilt_stability::for_each_d;
using tilt_stability::left_pseudo_semistabilizers::fixed_q_beta::FixedQBetaData;
using tilt_stability::left_pseudo_semistabilizers::fixed_q_beta::fixed_r::ProblemData;

using u128 = primitives::uwide;

TEST(CandidateRun, AnEmptyRunCannotBeMade) {
    EXPECT_EQ(stop_message([] { CandidateRun(1, 0, 5, 4); }), "empty candidate run: d_first > d_last");
    EXPECT_EQ(stop_message([] { CandidateRun(1, 0, int_max, int_min); }),
              "empty candidate run: d_first > d_last");
}

TEST(CandidateRun, CountsAndVisitsEveryDOnceUpToTheExtremes) {
    struct Row { std::int64_t first, last; u128 count; };
    const Row rows[] = {{0, 0, 1}, {-3, 4, 8}, {int_max - 2, int_max, 3}, {int_min, int_min + 1, 2},
                        {int_min, int_max, u128{1} << 64}};
    for (const auto& [first, last, count] : rows) {
        const CandidateRun run(7, -2, first, last);
        EXPECT_TRUE(run.count() == count) << first << ".." << last;
        if (count > 8) continue;
        std::vector<std::int64_t> seen;
        for_each_d(run, [&](std::int64_t d) { seen.push_back(d); });
        ASSERT_EQ(seen.size(), static_cast<std::size_t>(count));
        for (std::size_t i = 0; i < seen.size(); ++i) EXPECT_EQ(seen[i], first + static_cast<std::int64_t>(i));
    }
}

// Appends runs of the given lengths; returns the count carried by the refusal,
// or 0 when every run was taken.
std::size_t refused_at(CandidateRuns& runs, const std::vector<std::int64_t>& lengths) {
    try {
        std::int64_t r = 1;
        for (const std::int64_t length : lengths) runs.append(CandidateRun(r++, 0, 0, length - 1));
    } catch (const CandidateLimitReached& reached) {
        return reached.found();
    }
    return 0;
}

TEST(CandidateRuns, RefusesTheRunThatWouldPassTheLimitAndKeepsTheRest) {
    struct Row { std::size_t limit; std::vector<std::int64_t> lengths; std::size_t refused_at, held; };
    const Row rows[] = {
        {10, {3, 3, 4}, 0, 10},      // exactly the limit
        {10, {3, 3, 4, 1}, 11, 10},  // one beyond
        {10, {3, 20}, 23, 3},        // one long run crosses it
        {0, {1}, 1, 0},              // nothing allowed
    };
    for (const auto& [limit, lengths, refused, held] : rows) {
        CandidateRuns runs(limit);
        EXPECT_EQ(refused_at(runs, lengths), refused) << limit;
        EXPECT_EQ(runs.size(), held);
    }
}

TEST(CandidateRuns, AskForTheRealLimitOnceAndOnlyWhenTheFirstCountIsPassed) {
    int asked = 0;
    CandidateRuns runs(CandidateLimit(4, [&] { ++asked; return std::size_t{6}; }));
    EXPECT_EQ(refused_at(runs, {2, 2}), 0u);
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(refused_at(runs, {1, 1}), 0u);  // passes 4: asks, and 6 is allowed
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(refused_at(runs, {1}), 7u);
    EXPECT_EQ(asked, 1);
}

TEST(CandidateRuns, ALimitRaisedInStepsIsAskedByEachCountThatPassesIt) {
    std::vector<std::size_t> asked;
    CandidateRuns runs(CandidateLimit(4, CandidateLimit::Raise([&](std::size_t count) {
        asked.push_back(count);
        return count < 10 ? count + 2 : count - 1;  // two ahead, until 10
    })));
    EXPECT_EQ(refused_at(runs, {3, 2, 1, 1, 1, 3}), 11u);
    EXPECT_EQ(asked, (std::vector<std::size_t>{5, 8, 11}));
    EXPECT_EQ(runs.size(), 8u);
}

TEST(CandidateRuns, MoreCandidatesThanASizeIsTheCapacityOverflowStop) {
    CandidateRuns runs;
    runs.append(CandidateRun(1, 0, 0, int_max));  // 2^63
    EXPECT_EQ(stop_message([&] { runs.append(CandidateRun(2, 0, int_min, int_max)); }), "capacity overflow");
    EXPECT_EQ(stop_message([&] { runs.append(CandidateRun(2, 0, 0, int_max)); }), "capacity overflow");
    runs.append(CandidateRun(2, 0, 1, int_max));  // 2^63 − 1 more: SIZE_MAX in all
    EXPECT_EQ(runs.size(), SIZE_MAX);
}

// β = 0, v = (1, 0, 0), q = 2^31, r = 1: the one cap k²/r = 2^62 leaves d from
// 1 to 2^62, one run, but more candidates than a vector of Chern characters
// can hold.
TEST(CandidateRuns, AListBeyondAVectorsReachStopsWithCapacityOverflow) {
    const Search search({1, 0, 0}, Ratio::new_(0, 1), 1);  // n = 1: the inverse is not read
    const FixedQBetaData fixed_q{search.data, two_pow(31)};
    const Outcome<CandidateRuns> found = ProblemData{fixed_q, 1, 0}.find_all();
    ASSERT_TRUE(found && found->size() == two_pow(62));
    EXPECT_EQ(stop_message([&] { (void)listed(found); }), "capacity overflow");
}

TEST(CandidateRuns, AListThatCannotBeAllocatedThrowsBadAlloc) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer reports a request this large instead of failing it";
#else
    CandidateRuns runs;
    runs.append(CandidateRun(1, 0, 1, two_pow(58)));  // 2^58 × 24 bytes: a size, but no memory
    EXPECT_THROW((void)runs.expanded(), std::bad_alloc);
#endif
}

// The ways of collecting a search agree: the runs, the expanded list and the
// general search's count; and a limit of exactly the total lets it through,
// one less does not.
TEST(RunSinks, RunsListAndCountAgreeAndTheLimitIsExact) {
    const Triple searches[] = {{2, 1, -4}, {3, 1, -5}, {3, 1, -1}, {5, 3, 1}, {0, 5, 3},
                               {1, 0, -100}, {4, 1, -2}, {0, 17, 30}, {1, 20, 0}};
    for (const Triple& t : searches) {
        SCOPED_TRACE(chern(t));
        const ChernChar<2> v = chern(t);
        InterruptPoll never;
        const Outcome<CandidateRuns> runs = find_all(v, never);
        const Outcome<Candidates> list = listed(find_all(v));
        const tilt_stability::SearchResult<primitives::uwide> count = tilt_stability::count_candidates({.v = v}, never);
        ASSERT_TRUE(runs && list && count);
        ASSERT_EQ(runs->expanded(), *list);
        EXPECT_TRUE(*count == list->size());
        if (list->empty()) continue;
        EXPECT_TRUE(find_all(v, never, list->size()));
        try {
            (void)find_all(v, never, list->size() - 1);
            ADD_FAILURE() << "a limit below the total was not enforced";
        } catch (const CandidateLimitReached& reached) {
            EXPECT_GT(reached.found(), list->size() - 1);
            EXPECT_LE(reached.found(), list->size());
        }
    }
}

}  // namespace
}  // namespace varnolt::test::search
