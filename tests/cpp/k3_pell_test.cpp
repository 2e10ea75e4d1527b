// The continued fractions that solve X² − d·Y² = k, against the norm of what
// they give and a plain search for the least unit.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <set>

#include "k3/pell_expansions.hpp"
#include "primitives/checked.hpp"

namespace varnolt::test {
namespace {

using primitives::wide;

// floor(√n) by a double and a correction.
std::int64_t root(std::int64_t n) {
    auto x = static_cast<std::int64_t>(std::sqrt(static_cast<double>(n)));
    while (x * x > n) --x;
    while ((x + 1) * (x + 1) <= n) ++x;
    return x;
}

bool is_square(std::int64_t n) { return root(n) * root(n) == n; }

// (G, B) of an expansion, in 128 bits (the rows here stay far below).
std::pair<wide, wide> convergent(std::int64_t z, std::int64_t m, const std::vector<std::int64_t>& quotients) {
    wide g0 = -z, g1 = m, b0 = 1, b1 = 0;
    for (const std::int64_t a : quotients) {
        const wide g2 = a * g1 + g0, b2 = a * b1 + b0;
        g0 = g1, g1 = g2, b0 = b1, b1 = b2;
    }
    return {g1, b1};
}

TEST(K3Pell, ExpansionOfRootDIsTheLeastUnit) {
    tilt_stability::InterruptPoll never;
    for (std::int64_t d = 2; d <= 150; ++d) {
        if (is_square(d)) continue;
        const auto found = k3::pell_expansions(d, 1, never);
        ASSERT_EQ(found.size(), 1u) << d;
        const auto [g, b] = convergent(0, 1, found[0].quotients);
        const wide norm = g * g - d * b * b;
        ASSERT_TRUE(norm == 1 || norm == -1) << d;
        // No smaller y solves x² − d·y² = ±1 (a plain search up to b, when b is small).
        for (std::int64_t y = 1; y < b && y < 100000; ++y)
            EXPECT_FALSE(is_square(d * y * y + 1) || is_square(d * y * y - 1)) << d << " " << y;
    }
}

TEST(K3Pell, ExpansionsGiveNormPlusOrMinusK) {
    tilt_stability::InterruptPoll never;
    // solvable: a solution is known (4² − 8 = 8, 111² − 152·9² = 9, 48² − 532·2² = 176); x² − 3y² = 2
    // has none (x² ≢ 2 mod 3), but its expansion may reach the norm −2.
    struct Row { std::int64_t d, k; bool solvable; };
    for (const auto& [d, k, solvable] : {Row{8, 8, true}, Row{8, 1, true}, Row{44, 4, true}, Row{152, 9, true},
                                         Row{3, 2, false}, Row{532, 176, true}}) {
        const auto found = k3::pell_expansions(d, k, never);
        if (solvable) {
            EXPECT_FALSE(found.empty()) << d << " " << k;
        }
        for (const auto& e : found) {
            const std::int64_t m = k / (e.f * e.f);
            EXPECT_EQ(k % (e.f * e.f), 0);
            EXPECT_EQ(((e.z * e.z - d) % m + m) % m, 0);
            const auto [g, b] = convergent(e.z, m, e.quotients);
            const wide norm = g * g - d * b * b;
            EXPECT_TRUE(norm == m || norm == -m) << d << " " << k << " " << e.z;
        }
    }
}

TEST(K3Pell, OverflowBeyond60Bits) {
    tilt_stability::InterruptPoll never;
    EXPECT_THROW(k3::pell_expansions(std::int64_t{1} << 61, 3, never), primitives::ArithmeticOverflow);
}

}  // namespace
}  // namespace varnolt::test
