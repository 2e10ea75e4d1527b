// The request's options in the core: the clip to
// the walls over the point and its rank bound against a search far beyond it
// filtered by the wall's own geometry, the mirror of right walls, and the
// kinds of the refusals.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <random>
#include <vector>

#include "search_support.hpp"
#include "support.hpp"
#include "tilt_stability/search.hpp"
#include "utils/big_int.hpp"

namespace varnolt::test::search {
namespace {

using tilt_stability::FailureKind;
using tilt_stability::SearchRequest;
using tilt_stability::Side;
using tilt_stability::above::Point;
using utils::BigInt;
using primitives::wide;

BigInt power_of_two(int k) {
    BigInt x = 1;
    for (int i = 0; i < k; ++i) x = x * 2;
    return x;
}

Point point(std::int64_t n, std::int64_t m, std::int64_t p, std::int64_t q) { return {n, m, p, q}; }

// Whether u's wall against v passes over σ(n/m, p/q) or through it, from the
// wall's centre x = a/(2e) and radius² (a² − 4e·b)/(4e²): (β0 − x)² + α0² <= ρ²
// times 4e²m²q², in 128 bits for these small values.
bool passes_over(const Triple& v, const Triple& u, std::int64_t n, std::int64_t m, std::int64_t p, std::int64_t q) {
    const wide a = wide{v[0]} * u[2] - wide{u[0]} * v[2], e = wide{v[0]} * u[1] - wide{u[0]} * v[1];
    const wide b = wide{u[2]} * v[1] - wide{v[2]} * u[1];
    const wide shift = 2 * e * n - a * m;
    return (a * a - 4 * e * b) * m * m * q * q - shift * shift * q * q - 4 * e * e * m * m * p * p >= 0;
}

std::vector<Triple> rows_of(const CandidateRuns& runs) {
    std::vector<Triple> rows;
    for (const auto& run : runs.runs())
        tilt_stability::for_each_d(run, [&](std::int64_t d) { rows.push_back({run.r, run.c, d}); });
    return rows;
}

std::vector<Triple> found(const SearchRequest& request) {
    InterruptPoll never;
    const auto runs = tilt_stability::find_runs(request, never);
    EXPECT_TRUE(runs.has_value()) << (runs ? "" : runs.error().text);
    return runs ? rows_of(*runs) : std::vector<Triple>{};
}

// For random v of rank 0 to 3 with a real β₋ and points left of the vertical
// wall, the walls over the point are those of a search to rank 60 (beyond
// every bound these points give) that pass over it, in the same order; on P2
// and on the right side too.
TEST(SearchOverAPoint, IsTheFarSearchFilteredByTheWallsGeometry) {
    std::mt19937_64 random(2718);
    int searched = 0, mirrors = 0;
    while (searched < 60) {
        const Triple v{static_cast<std::int64_t>(random() % 4), static_cast<std::int64_t>(random() % 13) - 6,
                       static_cast<std::int64_t>(random() % 50) - 40};
        if ((v[0] == 0 && v[1] <= 0) || v[1] * v[1] - v[0] * v[2] <= 0) continue;
        // A point left of β = c/r (anywhere for rank 0), not too close to the real line.
        const std::int64_t m = 1 + static_cast<std::int64_t>(random() % 4), q = 1 + static_cast<std::int64_t>(random() % 4);
        const std::int64_t p = 1 + static_cast<std::int64_t>(random() % 12);
        const std::int64_t n = v[0] == 0 ? static_cast<std::int64_t>(random() % 40) - 30
                                         : (v[1] * m) / v[0] - 1 - static_cast<std::int64_t>(random() % (8 * m));
        if (v[0] > 0 && n * v[0] >= v[1] * m) continue;
        ++searched;
        const Point at = point(n, m, p, q);
        const bool p2 = (v[2] - v[1]) % 2 == 0 && random() % 2 == 0;
        const auto surface = p2 ? tilt_stability::surface::projective_plane
                                : tilt_stability::surface::half_integral_ch2;
        std::vector<Triple> expected;
        for (const Triple& u : found({.v = chern(v), .max_rank = 60, .surface = surface}))
            if (passes_over(v, u, n, m, p, q)) expected.push_back(u);
        EXPECT_EQ(found({.v = chern(v), .surface = surface, .above = at}), expected) << v[0] << " " << v[1] << " " << v[2];
        if (v[0] == 0) continue;
        // v's right walls over σ(−β0, α0) are the dual's left walls over σ(β0, α0) as (−r', c', −d').
        const Triple dual{v[0], -v[1], v[2]};
        if (n * v[0] >= -v[1] * m) continue;  // not left of the dual's vertical wall
        std::vector<Triple> mirrored;
        for (const Triple& u : found({.v = chern(dual), .surface = surface, .above = at}))
            mirrored.push_back({-u[0], u[1], -u[2]});
        EXPECT_EQ(found({.v = chern(v), .surface = surface, .side = Side::right, .above = point(-n, m, p, q)}), mirrored);
        ++mirrors;
    }
    EXPECT_GE(mirrors, 10);
}

struct RefusalRow {
    const char* name;
    Triple v;
    Side side;
    std::optional<Point> above;
    FailureKind kind;
    std::string detail = {};
    std::int64_t degree = 1;
};
class Refusals : public testing::TestWithParam<RefusalRow> {};
TEST_P(Refusals, SayWhyWithV) {
    const RefusalRow& row = GetParam();
    InterruptPoll never;
    CandidateCount count;
    const auto done = tilt_stability::run_search(
        {.v = chern(row.v), .surface = {row.degree}, .side = row.side,
         .above = row.above},
        never, count);
    ASSERT_FALSE(done.has_value());
    EXPECT_EQ(done.error().kind, row.kind);
    EXPECT_EQ(done.error().v, chern(row.v));
    EXPECT_EQ(done.error().detail, row.detail);
}
INSTANTIATE_TEST_SUITE_P(Table, Refusals, testing::Values(
    RefusalRow{"no_real_beta_first", {1, 1, 3}, Side::left, point(0, 1, -1, 1), FailureKind::no_real_beta},
    RefusalRow{"off_the_lattice_of_p2", {1, 1, -4}, Side::left, std::nullopt, FailureKind::off_lattice},
    RefusalRow{"alpha_zero", {1, 0, -4}, Side::left, point(-5, 1, 0, 1), FailureKind::alpha_not_positive},
    RefusalRow{"a_denominator_not_positive", {1, 0, -4}, Side::left, point(-5, 1, 1, -2), FailureKind::internal_fault},
    RefusalRow{"on_the_vertical_wall", {2, 2, -4}, Side::right, point(2, 2, 1, 1), FailureKind::point_on_vertical_wall},
    RefusalRow{"right_of_it_for_left", {1, 0, -4}, Side::left, point(1, 3, 1, 1),
               FailureKind::point_across_vertical_wall},
    RefusalRow{"left_of_it_for_right", {1, 0, -4}, Side::right, point(-1, 3, 1, 1),
               FailureKind::point_across_vertical_wall},
    // Just over β₋ = -2 at α = 2^-1000: walls of every size down to it.
    RefusalRow{"bound_beyond_64_bits", {1, 0, -4}, Side::left, Point{-2, 1, 1, power_of_two(1000)},
               FailureKind::rank_bound_beyond_int64, "1.52e+301"},
    // One point, β₋ = -√2, at α = 2^-50 above it: a bound of about 10^15 ranks.
    RefusalRow{"bound_beyond_the_walk", {1, 0, -2}, Side::left, Point{-6369051672525773, power_of_two(52), 1,
               power_of_two(50)}, FailureKind::rank_bound_beyond_walk, "1.12e+15"},
    // On degree 114 (λ = 57) v' = (-1, -57, 0) has β₋ = 114 and X = 57, and only
    // the q = k with 57 | k can hold a c' that 57 divides: none below X. A
    // negative rank is refused all the same.
    RefusalRow{"negative_rank_without_a_wanted_q", {-1, -1, 0}, Side::left, std::nullopt, FailureKind::negative_rank,
               "", 114}),
    row_name<RefusalRow>);

// Given a smaller max_rank, a point with a bound beyond the walk is searched.
TEST(SearchOverAPoint, AGivenMaxRankTakesTheLargeBoundsPlace) {
    InterruptPoll never;
    const auto count = tilt_stability::count_candidates(
        {.v = chern({1, 0, -2}), .max_rank = 12, .above = Point{-6369051672525773, power_of_two(52), 1, power_of_two(50)}},
        never);
    ASSERT_TRUE(count.has_value());
    EXPECT_TRUE(*count <= 4);  // the 4 candidates up to rank 12, those over the point among them
}

// A shifted class taken as negated lists −v's candidates, on either side and
// over a point (the fuzzer checks its failures).
TEST(ShiftedClasses, AreSearchedAsTheirNegatives) {
    for (const Triple& v : {Triple{-1, 0, 4}, Triple{-2, 1, 4}, Triple{0, -1, 3}, Triple{-3, -5, -8}})
        for (const Side side : {Side::left, Side::right})
            for (const std::optional<Point>& at : {std::optional<Point>{}, std::optional{point(side == Side::left ? -5 : 5, 2, 1, 2)}})
                EXPECT_EQ(found({.v = chern(v), .side = side, .above = at, .shifted_as_negated = true}),
                          found({.v = chern({-v[0], -v[1], -v[2]}), .side = side, .above = at}));
}

}  // namespace
}  // namespace varnolt::test::search
