// The search bounded by rank: against a brute force over a box of (r', c', d')
// that tests each condition directly on the candidate's twisted ch2 (irrational
// β₋), against the unbounded search cut at the rank bound (rational β₋), and
// its messages.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <ostream>
#include <random>
#include <vector>

#include "search_support.hpp"
#include "support.hpp"
#include "tilt_stability/left_pseudo_semistabilizers/left_pseudo_semistabilizers.hpp"
#include "tilt_stability/search.hpp"
#include "primitives/checked.hpp"

namespace varnolt::test::search {
namespace {

using tilt_stability::Interrupted;
using tilt_stability::CandidateRuns;
using tilt_stability::FailureKind;
using tilt_stability::run_search;

Outcome<Candidates> bounded(const Triple& v, std::int64_t max_rank) {
    InterruptPoll never;
    CandidateRuns runs;
    const auto done = run_search({chern(v), max_rank}, never, runs);
    if (!done) return std::unexpected(done.error().text);
    return runs.expanded();
}

// x + y·√Δ over 128-bit integers, with its own sign rule, for the brute force.
struct Real {
    primitives::wide x, y;
    Real operator-(const Real& o) const { return {x - o.x, y - o.y}; }
    Real operator*(primitives::wide k) const { return {x * k, y * k}; }
};
Real times(const Real& p, const Real& o, primitives::wide delta) { return {p.x * o.x + p.y * o.y * delta, p.x * o.y + p.y * o.x}; }
int sign(const Real& p, primitives::wide delta) {
    const int sx = (p.x > 0) - (p.x < 0), sy = (p.y > 0) - (p.y < 0);
    if (sx == sy || sy == 0) return sx;
    if (sx == 0) return sy;
    const primitives::wide lhs = p.x * p.x, rhs = p.y * p.y * delta;
    return lhs > rhs ? sx : lhs < rhs ? sy : 0;
}

// Every candidate of rank <= max_rank of v = (r, c, d), r > 0, Δ = c² − r·d > 0
// not a square, with β = (c − √Δ)/r. Scaled by r, r·q = (r·c' − r'·c) + r'·√Δ
// and r·S = r·√Δ; with the twisted ch2 τ = d'/2 − β·c' + β²·r'/2,
// T = 2r²·τ = r²·d' − 2r·c·c' + r'(c² + Δ) + (2r·c' − 2r'·c)·√Δ, and each cap
// on τ becomes a product of these. The box comes from floating point with a
// margin; its edges are checked to fail.
Candidates brute_force(const Triple& v, std::int64_t max_rank) {
    const primitives::wide r = v[0], c = v[1], delta = primitives::wide{v[1]} * v[1] - primitives::wide{v[0]} * v[2];
    const double beta = (double(c) - std::sqrt(double(delta))) / double(r), s = std::sqrt(double(delta));
    const auto holds = [&](primitives::wide r1, primitives::wide c1, primitives::wide d1) {
        const Real q{r * c1 - r1 * c, r1}, twisted_v{0, r}, e = twisted_v - q;
        const Real t{r * r * d1 - 2 * r * c * c1 + r1 * (c * c + delta), 2 * r * c1 - 2 * r1 * c};
        if (sign(q, delta) <= 0 || sign(e, delta) <= 0 || sign(twisted_v * r1 - q * r, delta) <= 0) return false;
        if (sign(t, delta) <= 0 || sign(times(q, q, delta) - t * r1, delta) < 0) return false;
        if (r1 > r && sign(times(e, e, delta) - t * (r1 - r), delta) < 0) return false;
        if (2 * r1 < r && sign(times(e, q, delta) * 2 - t * (r - 2 * r1), delta) < 0) return false;
        return true;
    };
    struct Found { std::int64_t r, c, d; };
    std::vector<Found> found;
    for (std::int64_t r1 = 1; r1 <= max_rank; ++r1) {
        const auto c_low = std::int64_t(std::floor(r1 * beta)) - 2, c_high = std::int64_t(std::ceil(r1 * beta + s)) + 2;
        for (std::int64_t c1 = c_low; c1 <= c_high; ++c1) {
            const double q = c1 - r1 * beta, twice_lower = r1 * beta * beta + 2 * beta * q;
            const auto d_low = std::int64_t(std::floor(twice_lower)) - 2;
            const auto d_high = std::int64_t(std::ceil(twice_lower + s * s / r1)) + 2;
            bool any = false;
            for (std::int64_t d1 = d_low; d1 <= d_high; ++d1)
                if (holds(r1, c1, d1)) {
                    found.push_back({r1, c1, d1});
                    any = true;
                }
            EXPECT_FALSE(holds(r1, c1, d_low) || holds(r1, c1, d_high));
            EXPECT_FALSE(any && (c1 == c_low || c1 == c_high));
        }
    }
    // By q (r·(q1 − q2) = r·(c1 − c2) − (r1 − r2)·c + (r1 − r2)·√Δ), then rank, then d.
    std::sort(found.begin(), found.end(), [&](const Found& a, const Found& b) {
        const int order = sign({r * (a.c - b.c) - (primitives::wide{a.r} - b.r) * c, primitives::wide{a.r} - b.r}, delta);
        if (order != 0) return order < 0;
        return a.r != b.r ? a.r < b.r : a.d < b.d;
    });
    Candidates list;
    for (const Found& u : found) list.push_back(chern({u.r, u.c, u.d}));
    return list;
}

TEST(BoundedSearch, IrrationalBetaMatchesTheBruteForce) {
    std::mt19937_64 rng(2024);
    int compared = 0, candidates_seen = 0;
    while (compared < 40) {
        const Triple v{std::int64_t(rng() % 6) + 1, std::int64_t(rng() % 21) - 10, std::int64_t(rng() % 61) - 30};
        const std::int64_t delta = v[1] * v[1] - v[0] * v[2];
        const auto root = std::int64_t(std::sqrt(double(delta)));
        if (delta <= 0 || root * root == delta) continue;
        const std::int64_t max_rank = compared < 5 ? 300 : std::int64_t(rng() % 200) + 1;
        const Outcome<Candidates> found = bounded(v, max_rank);
        ASSERT_TRUE(found) << found.error();
        ASSERT_EQ(*found, brute_force(v, max_rank)) << v[0] << ", " << v[1] << ", " << v[2] << " up to " << max_rank;
        candidates_seen += int(found->size());
        ++compared;
    }
    EXPECT_GT(candidates_seen, 1000);  // the comparisons were not all of empty lists
}

// On a surface of degree n the list, in the coordinates v' = (r, λc, λ²d), is
// the brute force of v' on ½ℤ cut to the classes of the surface: λ | c' and
// c₂ = n·(c'² − d')/(2λ²) an integer. v = (r, c, d = c² − 2·c₂/n).
TEST(BoundedSearch, OnASurfaceIsTheBruteForceCutToItsLattice) {
    std::mt19937_64 rng(31);
    const std::int64_t degrees[] = {3, 4, 5, 7, 9, 12, 25, 49};
    std::size_t compared = 0, seen = 0;
    for (std::size_t draw = 0; compared < 24; ++draw) {
        const std::int64_t n = degrees[draw % std::size(degrees)];
        const std::int64_t lambda = tilt_stability::surface::lattice_scale({n}).lambda;
        const std::int64_t r = std::int64_t(rng() % 4) + 1, c = std::int64_t(rng() % 9) - 4,
                           c2 = std::int64_t(rng() % 41) - 10, max_rank = std::int64_t(rng() % 40) + 1;
        const Triple scaled{r, lambda * c, lambda * lambda * (n * c * c - 2 * c2) / n};
        const std::int64_t delta = scaled[1] * scaled[1] - scaled[0] * scaled[2];
        const auto root = std::int64_t(std::sqrt(double(delta)));
        if (delta <= 0 || root * root == delta || (root + 1) * (root + 1) == delta) continue;
        tilt_stability::SearchRequest request{chern({r, c, n * c * c - 2 * c2}), max_rank, {n}, n};
        InterruptPoll never;
        CandidateRuns runs;
        ASSERT_TRUE(run_search(request, never, runs));
        Candidates expected;
        for (const auto& u : brute_force(scaled, max_rank))
            if (u.c.coeff % lambda == 0 && (n * (u.c.coeff * u.c.coeff - u.d.numerator)) % (2 * lambda * lambda) == 0)
                expected.push_back(u);
        ASSERT_EQ(runs.expanded(), expected) << "n = " << n << ": " << r << ", " << c << ", c2 = " << c2;
        seen += expected.size();
        ++compared;
    }
    EXPECT_GT(seen, 100u);  // the comparisons were not all of empty lists
}

// Its cost follows the ranks, not the degree: (3, 1, −1/n) on n = 10^9 + 7 (λ = n:
// each rank of v' spans about n values of c') up to rank 5 ends within two checks
// (2^15 ticks); visiting every c' would tick billions of times, and the check stop it.
TEST(BoundedSearch, ASurfaceOfLargeDegreeCostsItsRanksNotItsDegree) {
    const std::int64_t n = 1'000'000'007;
    int checks = 0;
    InterruptPoll counted([&checks] { return ++checks > 1; });
    CandidateCount count;
    ASSERT_TRUE(run_search({chern({3, 1, -1}), 5, {n}, n}, counted, count));
    EXPECT_GT(count.total(), primitives::uwide{0});
}

// For a rational β₋ the bounded list is the full list without the ranks above
// the bound, in the same order; with the bound at the largest rank, all of it.
TEST(BoundedSearch, RationalBetaIsTheFullListCutAtTheBound) {
    std::mt19937_64 rng(99);
    int compared = 0;
    while (compared < 60) {
        const Triple v{std::int64_t(rng() % 7), std::int64_t(rng() % 17) - 8, std::int64_t(rng() % 41) - 20};
        const Outcome<Candidates> full = listed(find_all(chern(v)));
        if (!full || full->empty()) continue;
        std::int64_t highest = 0;
        for (const auto& u : *full) highest = std::max(highest, u.r);
        for (const std::int64_t max_rank : {highest, std::int64_t(rng() % highest) + 1, highest + 5}) {
            Candidates expected;
            std::copy_if(full->begin(), full->end(), std::back_inserter(expected),
                         [&](const auto& u) { return u.r <= max_rank; });
            const Outcome<Candidates> found = bounded(v, max_rank);
            ASSERT_TRUE(found) << found.error();
            ASSERT_EQ(*found, expected) << v[0] << ", " << v[1] << ", " << v[2] << " up to " << max_rank;
        }
        ++compared;
    }
}

struct OutcomeRow { const char* name; Triple v; std::int64_t max_rank; std::string outcome; };
std::ostream& operator<<(std::ostream& out, const OutcomeRow& row) { return out << row.name; }
class BoundedOutcome : public testing::TestWithParam<OutcomeRow> {};
TEST_P(BoundedOutcome, IsTheSearchsVerdict) {
    const OutcomeRow& row = GetParam();
    const Outcome<Candidates> found = bounded(row.v, row.max_rank);
    const std::string seen = found ? std::to_string(found->size()) + " candidates" : found.error();
    EXPECT_EQ(seen, row.outcome);
}
INSTANTIATE_TEST_SUITE_P(Table, BoundedOutcome, testing::Values(
    OutcomeRow{"no_real_beta", {1, 0, 1}, 10, "β_ is not real: no walls"},
    OutcomeRow{"rank_zero_c_zero", {0, 0, 5}, 10, "β_ is not real: no walls"},
    OutcomeRow{"negative_rank_irrational", {-1, 0, 2}, 10, "β_ is not rational: ∞ walls"},
    OutcomeRow{"negative_rank_no_real_beta", {-1, 0, -1}, 10, "β_ is not real: no walls"},
    OutcomeRow{"negative_rank_rational", {-2, 1, 4}, 10, "Internal logical error: Negative lower bound on r"},
    OutcomeRow{"negative_rank_one_q", {-1, 1, 0}, 10, "0 candidates"},
    OutcomeRow{"no_rank_at_all", {1, 0, -2}, 0, "0 candidates"},
    // Every rank of a rank-0 v is at least 1: none of its 2^55 − 1 values of q is visited.
    OutcomeRow{"rank_zero_no_rank_at_all", {0, std::int64_t{1} << 55, 0}, 0, "0 candidates"},
    OutcomeRow{"twisted_ch1_zero", {4, 2, 1}, 10, "0 candidates"},  // Δ = 0
    OutcomeRow{"rank_zero_negative_c", {0, -2, 2}, 10, "0 candidates"},
    OutcomeRow{"a_point_up_to_rank_12", {1, 0, -2}, 12, "4 candidates"}),
    row_name<OutcomeRow>);

// The one wall of a point in the plane comes from (1, −1, 1/2), found first.
TEST(BoundedSearch, APointInThePlaneStartsWithItsWall) {
    const Outcome<Candidates> found = bounded({1, 0, -2}, 12);
    ASSERT_TRUE(found && !found->empty());
    EXPECT_EQ(found->front(), chern({1, -1, 1}));
}

TEST(BoundedSearch, StopsWhenInterrupted) {
    InterruptPoll stop_now([] { return true; });
    CandidateRuns runs;
    EXPECT_THROW((void)run_search({chern({1, 0, -200}), 1 << 20}, stop_now, runs), Interrupted);
}

TEST(BoundedSearch, ValuesBeyondTheCoreRaiseOverflow) {
    InterruptPoll never;
    CandidateRuns runs;
    // v.r = v.c = 2^62 + 1, Δ = v.r: the bound r'·v.c/v.r on c', scaled by v.r², leaves
    // 128 bits at rank 8.
    const std::int64_t big = two_pow(62) + 1;
    const auto done = run_search({chern({big, big, big - 1}), 10}, never, runs);
    ASSERT_FALSE(done);
    EXPECT_EQ(done.error().kind, FailureKind::overflow);
}

}  // namespace
}  // namespace varnolt::test::search
