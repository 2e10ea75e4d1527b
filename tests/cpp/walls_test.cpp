// The grouping of candidates into walls, against a model in integers of any
// size: each wall from three evaluations of ν_{β,α}(u) = ν_{β,α}(v), walls
// gathered and ordered by pairwise cross-multiplication.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <vector>

#include "tilt_stability/walls/group_walls.hpp"

namespace varnolt::test {
namespace {

using namespace tilt_stability::walls;

// Twice (ch2^β(u) − t·r/2)·ch1^β(v) − (ch2^β(v) − t·R/2)·ch1^β(u) at integers
// β and t = α²: A·(β² + t) + B·β + K, a circle of centre −B/(2A) and radius²
// (B² − 4AK)/(4A²).
struct ModelWall {
    BigInt center_numer, center_denom, radius_numer, radius_denom;

    static ModelWall of(const Row& v, const Row& u) {
        const auto difference = [&](std::int64_t beta, std::int64_t t) {
            const auto twisted = [&](const Row& w) {
                const BigInt r = w[0], c = w[1], d = w[2];
                return std::pair{d - 2 * beta * c + beta * beta * r - t * r, c - r * beta};
            };
            const auto [ch2_u, ch1_u] = twisted(u);
            const auto [ch2_v, ch1_v] = twisted(v);
            return ch2_u * ch1_v - ch2_v * ch1_u;
        };
        const BigInt k = difference(0, 0), a = difference(0, 1) - k, b = difference(1, 0) - a - k;
        return {-b, 2 * a, b * b - 4 * a * k, 4 * a * a};
    }
};

// The sign of p/q − r/s, for any signs of the denominators.
int compare_fractions(const BigInt& p, const BigInt& q, const BigInt& r, const BigInt& s) {
    const auto order = p * s <=> r * q;
    const int sign = order < 0 ? -1 : order > 0 ? 1 : 0;
    return q.sign() * s.sign() * sign;
}

// Larger radius² first, then smaller centre.
int model_order(const ModelWall& x, const ModelWall& y) {
    if (const int order = compare_fractions(y.radius_numer, y.radius_denom, x.radius_numer, x.radius_denom))
        return order;
    return compare_fractions(x.center_numer, x.center_denom, y.center_numer, y.center_denom);
}

// The indices of rows wall by wall, as the model gathers and orders them.
std::vector<std::vector<std::size_t>> model_grouping(const Row& v, const std::vector<Row>& rows) {
    std::vector<ModelWall> walls;
    std::vector<std::vector<std::size_t>> members;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const ModelWall wall = ModelWall::of(v, rows[i]);
        std::size_t k = 0;
        while (k < walls.size() && model_order(walls[k], wall) != 0) ++k;
        if (k == walls.size()) walls.push_back(wall), members.emplace_back();
        members[k].push_back(i);
    }
    std::vector<std::size_t> order(walls.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](auto x, auto y) { return model_order(walls[x], walls[y]) < 0; });
    std::vector<std::vector<std::size_t>> grouped;
    for (const std::size_t k : order) grouped.push_back(members[k]);
    return grouped;
}

std::vector<std::vector<std::size_t>> grouping(const Row& v, const std::vector<Row>& rows) {
    tilt_stability::InterruptPoll interrupt;
    const WallOrder order = order_walls(v, rows, interrupt);
    std::vector<std::vector<std::size_t>> grouped;
    for (std::size_t k = 0; k < order.sorted.size(); ++k) {
        if (order.layout.key(order.sorted[k]) != 0) grouped.emplace_back();
        grouped.back().push_back(order.layout.index(order.sorted[k]));
    }
    EXPECT_EQ(grouped.size(), order.walls());
    return grouped;
}

std::mt19937_64 random_rows(5);
std::int64_t near(std::int64_t magnitude, std::int64_t spread) {
    const auto offset = static_cast<std::int64_t>(random_rows() % static_cast<std::uint64_t>(spread));
    return (random_rows() % 2 == 0 ? 1 : -1) * (magnitude - offset);
}

// Rows of small rank with ch1 and ch2 near ±magnitude, and repeats of their
// walls: u + v and 2u.
std::vector<Row> rows_near(const Row& v, std::int64_t magnitude, std::int64_t spread, std::size_t count) {
    std::vector<Row> rows;
    for (std::size_t i = 0; i < count; ++i)
        rows.push_back({static_cast<std::int64_t>(random_rows() % 5) + 1, near(magnitude, spread), near(magnitude, spread)});
    for (std::size_t i = 0; i < 4; ++i) {
        const Row& u = rows[i];
        if (magnitude < (std::int64_t{1} << 61)) rows.push_back({2 * u[0], 2 * u[1], 2 * u[2]});
        rows.push_back({u[0] + v[0], u[1] + v[1], u[2] + v[2]});
    }
    return rows;
}

constexpr std::int64_t max64 = std::numeric_limits<std::int64_t>::max();

// Small rows: every gcd of a and 2e (the shortcuts for 1 and 2, and the second gcd).
std::vector<Row> small_rows(std::int64_t ranks) {
    std::vector<Row> rows;
    for (std::int64_t r = 1; r <= ranks; ++r)
        for (std::int64_t c = -6; c <= -1; ++c)
            for (std::int64_t d = -8; d <= 8; ++d) rows.push_back({r, c, d});
    return rows;
}

struct GroupingRow {
    const char* fact;
    Row v;
    std::vector<Row> rows;
};

TEST(Walls, GroupedAndOrderedAsTheModelDoes) {
    std::vector<Row> mixed = rows_near({3, 1, -5}, max64 - 5, 4, 20);
    for (const Row& u : small_rows(1)) mixed.push_back(u);
    const GroupingRow table[] = {
        {"small rows, many sharing a wall", {1, 0, -16}, small_rows(4)},
        {"rank-zero v: concentric walls", {0, 3, 5}, small_rows(4)},
        {"ch1, ch2 near 2^40: radii that agree in their doubles but differ", {1, 0, -2},
         rows_near({1, 0, -2}, std::int64_t{1} << 40, 8, 150)},
        {"products past 2^124: checked 128-bit steps", {2, -3, 7}, rows_near({2, -3, 7}, std::int64_t{1} << 61, 1 << 20, 150)},
        {"a² beyond 2^127: the wide path", {1, 0, -2}, rows_near({1, 0, -2}, max64, 1 << 20, 60)},
        {"wide and narrow walls in one run", {3, 1, -5}, mixed},
        {"values at the ends of the int64 range", {max64, -max64 - 1, max64},
         {{max64, -max64 - 1, max64}, {-max64 - 1, max64, 1}, {max64 - 1, max64, -max64 - 1}, {max64, max64, max64}}},
    };
    for (const auto& [fact, v, rows] : table) {
        std::vector<Row> with_walls;
        for (const Row& u : rows)
            if (ModelWall::of(v, u).radius_denom.sign() != 0) with_walls.push_back(u);
        EXPECT_EQ(grouping(v, with_walls), model_grouping(v, with_walls)) << fact;
    }
}

// The keys in lowest terms with positive denominators, of the model's values.
TEST(Walls, KeysInLowestTermsEqualTheModel) {
    for (const Row& v : {Row{1, 0, -2}, Row{4, -2, 6}})
        for (const auto& rows : {rows_near({1, 0, -2}, max64, 1 << 10, 30), small_rows(3)})
            for (const Row& u : rows) {
                const ModelWall model = ModelWall::of(v, u);
                if (model.radius_denom.sign() == 0) continue;
                std::visit([&](const auto& key) {
                    const BigInt cn = key.center.numer, cd = key.center.denom;
                    const BigInt rn = key.radius_squared.numer, rd = key.radius_squared.denom;
                    EXPECT_EQ(compare_fractions(cn, cd, model.center_numer, model.center_denom), 0);
                    EXPECT_EQ(compare_fractions(rn, rd, model.radius_numer, model.radius_denom), 0);
                    EXPECT_EQ(ratio::binary_gcd(abs(cn), cd), BigInt(1));
                    EXPECT_EQ(ratio::binary_gcd(abs(rn), rd), BigInt(1));
                    EXPECT_GT(cd.sign(), 0);
                }, lowest_terms(exact_wall(v, u)));
            }
    EXPECT_THROW(exact_wall({2, -4, 6}, {-1, 2, 40}), NoWall);
}

}  // namespace
}  // namespace varnolt::test
