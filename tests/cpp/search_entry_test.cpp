// The one search entry: the kind of each failure, which callers decide by,
// with the text pseudo_semistabilizers shows.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "search_support.hpp"
#include "support.hpp"
#include "tilt_stability/search.hpp"

namespace varnolt::test::search {
namespace {

using tilt_stability::FailureKind;

const std::string not_real = "β_ is not real: no walls";

struct KindRow {
    const char* name;
    Triple v;
    std::optional<std::int64_t> max_rank;
    std::optional<FailureKind> kind;  // none: a list
    std::string text = "β_ is not rational: ∞ walls";
};
class SearchEntry : public testing::TestWithParam<KindRow> {};
TEST_P(SearchEntry, ReportsTheKindOfEachFailure) {
    const KindRow& row = GetParam();
    InterruptPoll never;
    tilt_stability::CandidateCount count;
    const auto done = tilt_stability::run_search({chern(row.v), row.max_rank}, never, count);
    ASSERT_EQ(done.has_value(), !row.kind);
    if (!done) {
        EXPECT_EQ(done.error().kind, *row.kind);
        EXPECT_EQ(std::string(done.error().text), row.text);
    }
}
INSTANTIATE_TEST_SUITE_P(Table, SearchEntry, testing::Values(
    KindRow{"irrational", {3, 2, -1}, std::nullopt, FailureKind::irrational_beta},
    KindRow{"irrational_bounded", {3, 2, -1}, 10, std::nullopt},
    KindRow{"negative_discriminant", {1, 0, 1}, std::nullopt, FailureKind::no_real_beta, not_real},
    KindRow{"negative_discriminant_bounded", {1, 0, 1}, 10, FailureKind::no_real_beta, not_real},
    KindRow{"rank_zero_c_zero", {0, 0, 5}, 10, FailureKind::no_real_beta, not_real},
    KindRow{"negative_rank_no_real_beta", {-1, 0, -1}, 10, FailureKind::no_real_beta, not_real},
    KindRow{"negative_rank_irrational", {-1, 0, 2}, 10, FailureKind::negative_rank_irrational},
    KindRow{"negative_rank_rational", {-2, 1, 4}, std::nullopt, FailureKind::negative_rank,
            "Internal logical error: Negative lower bound on r"},
    KindRow{"discriminant_beyond_64_bits", {1, two_pow(32), 1}, 3, FailureKind::overflow,
            "arithmetic overflow: value outside the signed 64-bit range"}),
    row_name<KindRow>);

}  // namespace
}  // namespace varnolt::test::search
