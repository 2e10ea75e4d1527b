// The Pell unit and the fundamental solutions of X² − d·Y² = k against a
// plain search over every Y.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "k3/fundamental_solutions.hpp"
#include "k3/pell_unit.hpp"
#include "utils/checked.hpp"

namespace varnolt::test {
namespace {

using k3::Solution;
using utils::wide;

// floor(√n) by a double and a correction: the plain root of the model.
std::int64_t root(std::int64_t n) {
    auto x = static_cast<std::int64_t>(std::sqrt(static_cast<double>(n)));
    while (x * x > n) --x;
    while ((x + 1) * (x + 1) <= n) ++x;
    return x;
}

bool is_square(std::int64_t n) { return root(n) * root(n) == n; }

// The least x > 1 with x² − d·y² = 1, y >= 1, by trying y = 1, 2, ...
k3::PellUnit plain_unit(std::int64_t d) {
    for (std::int64_t y = 1;; ++y) {
        const std::int64_t x2 = 1 + d * y * y;
        if (is_square(x2)) return {root(x2), y};
    }
}

TEST(K3Pell, UnitIsTheLeastSolutionForSmallD) {
    tilt_stability::InterruptPoll never;
    for (std::int64_t d = 2; d <= 120; ++d) {
        if (is_square(d) || d == 61 || d == 97 || d == 109) continue;  // least y in the millions
        const k3::PellUnit unit = k3::pell_unit(d, never);
        const k3::PellUnit plain = plain_unit(d);
        EXPECT_EQ(unit.x, plain.x) << d;
        EXPECT_EQ(unit.y, plain.y) << d;
    }
    // The famous large units, whose least y a plain search would take long to reach.
    EXPECT_EQ(k3::pell_unit(61, never).x, wide{1766319049});
    EXPECT_EQ(k3::pell_unit(97, never).x, wide{62809633});
    EXPECT_EQ(k3::pell_unit(109, never).x, wide{158070671986249});
}

TEST(K3Pell, FundamentalSolutionsAreEveryYUpToTheBound) {
    tilt_stability::InterruptPoll never;
    struct Row { std::int64_t d, k; };
    for (const auto& [d, k] : {Row{8, 8}, Row{8, 1}, Row{44, 4}, Row{88, 9}, Row{532, 176}, Row{40, 24}}) {
        const k3::PellUnit unit = k3::pell_unit(d, never);
        std::vector<Solution> plain;
        for (std::int64_t y = 0; 2 * d * y * y <= k * static_cast<std::int64_t>(unit.x - 1); ++y)
            if (is_square(k + d * y * y)) plain.push_back({root(k + d * y * y), y});
        EXPECT_EQ(k3::fundamental_solutions(d, k, unit, never), plain) << d << " " << k;
    }
}

TEST(K3Pell, OverflowBeyond128Bits) {
    tilt_stability::InterruptPoll never;
    const k3::PellUnit unit{wide{1} << 100, 1};
    EXPECT_THROW(k3::fundamental_solutions(2, std::int64_t{1} << 40, unit, never), utils::ArithmeticOverflow);
}

}  // namespace
}  // namespace varnolt::test
