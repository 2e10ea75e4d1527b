// The progress a search reports to its interrupt check: steps of its outer
// loop (values of q for a rational β₋, ranks of max_rank for the search bounded
// by rank) that only go forward, stay within the total, and end at the total.
#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <vector>

#include "search_support.hpp"
#include "tilt_stability/search.hpp"

namespace varnolt::test::search {
namespace {

using tilt_stability::Progress;
using tilt_stability::run_search;
using tilt_stability::CandidateCount;

struct ProgressRow {
    Triple v;
    std::optional<std::int64_t> max_rank;
    std::int64_t total;        // the steps of the whole search
    std::size_t least_polls;   // how often the check runs at least, so it sees progress
};

std::ostream& operator<<(std::ostream& out, const ProgressRow& row) {
    out << "v = (" << row.v[0] << ", " << row.v[1] << ", " << row.v[2] << ")";
    if (row.max_rank) out << ", max_rank " << *row.max_rank;
    return out;
}

class SearchProgress : public testing::TestWithParam<ProgressRow> {};

TEST_P(SearchProgress, GoesForwardWithinItsTotalAndEndsThere) {
    const ProgressRow& row = GetParam();
    std::vector<Progress> seen;
    InterruptPoll interrupt([&](const Progress& progress) {
        seen.push_back(progress);
        return false;
    });
    CandidateCount count;
    const auto done = run_search({chern(row.v), row.max_rank}, interrupt, count);
    ASSERT_TRUE(done) << done.error().text;

    EXPECT_GE(seen.size(), row.least_polls);
    for (std::size_t i = 0; i < seen.size(); ++i) {
        EXPECT_EQ(seen[i].total, row.total) << "poll " << i;
        EXPECT_LE(0, seen[i].done) << "poll " << i;
        EXPECT_LE(seen[i].done, seen[i].total) << "poll " << i;
        if (i > 0) {
            EXPECT_LE(seen[i - 1].done, seen[i].done) << "poll " << i;
        }
    }
    EXPECT_EQ(interrupt.progress(), (Progress{row.total, row.total}));
}

INSTANTIATE_TEST_SUITE_P(
    Table, SearchProgress,
    testing::Values(
        ProgressRow{{1, 0, -1}, std::nullopt, 0, 0},             // X = 1: no q, nothing to do
        ProgressRow{{1, 0, -40000}, std::nullopt, 199, 2},       // β₋ = −200: q = k for k < X = 200
        ProgressRow{{1, 0, -40000}, 100, 199, 0},                // rational β₋ with a bound: still k of X − 1
        ProgressRow{{3, 2, -1}, 100000, 100000, 2},              // irrational β₋: ranks of max_rank
        ProgressRow{{1, 0, -201}, 30000, 30000, 2},              // irrational, many c per rank
        ProgressRow{{3, 2, -1}, 1, 1, 0}));                      // one rank

}  // namespace
}  // namespace varnolt::test::search
