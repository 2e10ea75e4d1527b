// What the search visits: only ranks that hold a candidate (a wanted one,
// given moduli of c and d), only the residue classes of ranks that a plain
// scan finds within reach, and under a rank ceiling only ranks up to it,
// listing the full search's candidates below it.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <optional>
#include <ostream>
#include <set>
#include <utility>

#include "oracle/per_rank_search.hpp"
#include "search_support.hpp"
#include "support.hpp"
#include "tilt_stability/beta.hpp"
#include "tilt_stability/left_pseudo_semistabilizers/left_pseudo_semistabilizers.hpp"

namespace varnolt::test::search {
namespace {

using tilt_stability::CandidateRuns;
using tilt_stability::left_pseudo_semistabilizers::SearchStats;

// The general search's runs under options (a rank ceiling, wanted moduli).
Outcome<CandidateRuns> runs_with(const ChernChar<2>& v, const SearchOptions& options) {
    namespace left = tilt_stability::left_pseudo_semistabilizers;
    InterruptPoll never;
    return left::collected_runs([&](tilt_stability::RunSink& out) { return left::append_all(v, never, out, options); });
}

using Ceiling = std::optional<std::int64_t>;

primitives::wide floor_div(primitives::wide a, primitives::wide b) { return a / b - (a % b != 0 && (a < 0) != (b < 0)); }

// The number of classes j of ranks r0 + j·n + t·n² (per q) whose threshold
// n² − (A mod n²) is at most floor(W(r0)), the least cap at the first rank
// (the caps only decrease from there). A plain scan over every class, with
// the radius bound A = r·m² + 2·m·k formed afresh for each.
std::uint64_t classes_within_reach(const ChernChar<2>& v, Ceiling ceiling) {
    const Ratio beta = *tilt_stability::β_(v);
    const primitives::wide m = beta.numer, n = beta.denom, v_r = v.r;
    const primitives::wide x = v.c.coeff * n - v_r * m;
    const primitives::wide r_max = std::min<primitives::wide>(x * x, ceiling.value_or(INT64_MAX));
    std::uint64_t count = 0;
    for (primitives::wide k = 1; k < x; ++k) {
        primitives::wide r0 = floor_div(v_r * k, x) + 1;
        while ((r0 * m + k) % n != 0) ++r0;
        if (r0 > r_max) continue;
        primitives::wide w_max = k * k / r0;
        if (r0 > v_r) w_max = std::min(w_max, (x - k) * (x - k) / (r0 - v_r));
        if (2 * r0 < v_r) w_max = std::min(w_max, 2 * k * (x - k) / (v_r - 2 * r0));
        const primitives::wide classes = std::min(n, (r_max - r0) / n + 1);
        for (primitives::wide j = 0; j < classes; ++j) {
            const primitives::wide a = (r0 + j * n) * m * m + 2 * m * k;
            const primitives::wide remainder = a - floor_div(a, n * n) * n * n;
            if (n * n - remainder <= w_max) ++count;
        }
    }
    return count;
}

struct Visit {
    CandidateRuns runs;
    SearchStats stats;
};

Visit search_with(const ChernChar<2>& v, Ceiling ceiling) {
    Visit visit;
    auto found = runs_with(v, {ceiling, &visit.stats});
    EXPECT_TRUE(found) << found.error();
    if (found) visit.runs = std::move(*found);
    return visit;
}

struct VisitRow {
    const char* name;
    Triple v;
    bool oracle;  // small enough for the per-rank enumeration
};

std::ostream& operator<<(std::ostream& out, const VisitRow& row) { return out << row.name; }

class Visits : public testing::TestWithParam<VisitRow> {};

TEST_P(Visits, EveryVisitedRankHoldsACandidateAndEveryVisitedClassIsWithinReach) {
    const ChernChar<2> v = chern(GetParam().v);
    for (const Ceiling ceiling : {Ceiling{}, Ceiling{40}}) {
        SCOPED_TRACE(ceiling.value_or(-1));
        const Visit visit = search_with(v, ceiling);
        EXPECT_EQ(visit.stats.ranks_visited, visit.runs.runs().size());
        EXPECT_EQ(visit.stats.classes_visited, classes_within_reach(v, ceiling));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, Visits,
    testing::Values(VisitRow{"p_11_beta_7_over_11", {11, 9, 7}, true},
                    VisitRow{"p_101_beta_97_over_101", {101, 99, 97}, true},
                    VisitRow{"p_1009_six_candidates_among_8_million_ranks", {1009, 1007, 1005}, false},
                    VisitRow{"rank_0_sparse", {0, 5, 3}, true},
                    VisitRow{"rank_0_sparse_larger", {0, 17, 30}, false},
                    VisitRow{"integral_beta_dense", {1, 0, -400}, true},
                    VisitRow{"beta_minus_1_over_3", {3, 1, -1}, true},
                    VisitRow{"beta_minus_13_over_8", {16, -21, 26}, true},
                    VisitRow{"beta_1_over_45", {45, 23, 1}, false},
                    VisitRow{"rank_of_v_above_X_squared", {9, 2, 0}, true},
                    // β₋ = 0, X = 10: the ranks of q = k run from 5k + 1, so a
                    // ceiling below 50 ends the q worth trying early.
                    VisitRow{"rank_of_v_above_the_ceiling", {50, 10, 0}, true}),
    [](const testing::TestParamInfo<VisitRow>& info) { return std::string(info.param.name); });

TEST_P(Visits, ARankCeilingListsTheFullListBelowItWithoutVisitingAbove) {
    const ChernChar<2> v = chern(GetParam().v);
    if (!GetParam().oracle) GTEST_SKIP() << "too large for the per-rank enumeration";
    const auto full = varnolt_oracle::per_rank_find_all(v).result;
    ASSERT_TRUE(full) << full.error();
    for (const std::int64_t ceiling : {-1, 0, 1, 2, 7, 40, 333, 100000}) {
        SCOPED_TRACE(ceiling);
        Candidates below;
        std::copy_if(full->begin(), full->end(), std::back_inserter(below),
                     [&](const ChernChar<2>& u) { return u.r <= ceiling; });
        const Visit visit = search_with(v, ceiling);
        EXPECT_EQ(visit.runs.expanded(), below);
        EXPECT_EQ(visit.stats.ranks_visited, visit.runs.runs().size());
    }
}

// With wanted moduli λ of c and g of d (d ≡ c² mod g), the search lists in
// the same order exactly the oracle's candidates with λ | c and d ≡ c²
// (mod g), and visits no rank that holds none of them when g is small.
TEST_P(Visits, ModuliOfCAndDListTheWantedCandidatesAndVisitNoOtherRank) {
    const ChernChar<2> v = chern(GetParam().v);
    if (!GetParam().oracle) GTEST_SKIP() << "too large for the per-rank enumeration";
    const auto full = varnolt_oracle::per_rank_find_all(v).result;
    ASSERT_TRUE(full) << full.error();
    for (const auto& [lambda, g] : {std::pair{2, 1}, {3, 1}, {4, 1}, {6, 1}, {1, 2}, {2, 2}, {3, 6},
                                   {5, 10}, {6, 12}, {7, 14}, {1, 64}, {11, 22}, {13, 130}}) {
        SCOPED_TRACE(testing::Message() << "λ " << lambda << ", g " << g);
        const auto wanted_of = [&](const ChernChar<2>& u) {
            const std::int64_t c_mod_g = u.c.coeff % g;
            return u.c.coeff % lambda == 0 && ((u.d.numerator - c_mod_g * c_mod_g) % g) == 0;
        };
        Candidates wanted, listed;
        std::copy_if(full->begin(), full->end(), std::back_inserter(wanted), wanted_of);
        SearchStats stats;
        const auto found = runs_with(v, {.visited = &stats, .c_modulus = lambda, .d_modulus = g});
        ASSERT_TRUE(found) << found.error();
        const Candidates all = found->expanded();
        std::copy_if(all.begin(), all.end(), std::back_inserter(listed), wanted_of);
        EXPECT_EQ(listed, wanted);
        std::set<std::pair<std::int64_t, std::int64_t>> wanted_ranks;  // (c, r): a rank per c
        for (const ChernChar<2>& u : wanted) wanted_ranks.insert({u.c.coeff, u.r});
        for (const auto& run : found->runs()) EXPECT_EQ(run.c % lambda, 0) << run.r;
        if (g <= 64) {
            EXPECT_EQ(stats.ranks_visited, wanted_ranks.size());
        }
    }
}

}  // namespace
}  // namespace varnolt::test::search
