// Chern characters: text forms and the rounding of rational bounds onto the
// lattice of ch2 values.
#include <gtest/gtest.h>

#include <iomanip>
#include <sstream>

#include "chern_character/chern_character.hpp"
#include "support.hpp"
#include "primitives/checked.hpp"

namespace varnolt::test {
namespace {

using chern_character::ChernChar;
using chern_character::terms::Chern1;
using chern_character::terms::Chern2;
using chern_character::terms::greatest_lesser_or_eq_chern2;
using chern_character::terms::least_greater_chern2;

struct TextRow { std::int64_t r, c, d; const char* text; };
TEST(ChernCharText, WritesRankClassAndReducedCh2) {
    const TextRow rows[] = {
        {3, 2, -1, "(3, 2ℓ, -1/2ℓ²)"},
        {0, 0, 0, "(0, 0ℓ, 0ℓ²)"},
        {1, -1, 1, "(1, -1ℓ, 1/2ℓ²)"},
        {-2, 5, 8, "(-2, 5ℓ, 4ℓ²)"},
        {1, 1, 3, "(1, 1ℓ, 3/2ℓ²)"},
        {4, 0, -6, "(4, 0ℓ, -3ℓ²)"},
        {int_min, 0, 0, "(-9223372036854775808, 0ℓ, 0ℓ²)"},
        {int_max, int_min, int_min, "(9223372036854775807, -9223372036854775808ℓ, -4611686018427387904ℓ²)"},
        {0, 0, int_max, "(0, 0ℓ, 9223372036854775807/2ℓ²)"},
    };
    for (const auto& [r, c, d, text] : rows) {
        const ChernChar<2> v{r, Chern1{c}, Chern2<2>{d}};
        EXPECT_EQ(chern_character::to_string(v), text);
        std::ostringstream out;
        out << v;
        EXPECT_EQ(out.str(), text);
    }
}

// The caller's width, fill and alignment change nothing, and the width does not
// carry over to what follows.
TEST(ChernCharText, IgnoresWidthFillAndAlignment) {
    const ChernChar<2> v{3, Chern1{2}, Chern2<2>{-1}};
    const auto padded = [](auto&& manipulate, const auto& value) {
        std::ostringstream out;
        manipulate(out);
        out << value << 7;
        return out.str();
    };
    const auto wide = [](std::ostream& out) { out << std::setw(30) << std::setfill('*'); };
    const auto left = [](std::ostream& out) { out << std::left << std::setw(12); };
    const auto internal = [](std::ostream& out) { out << std::internal << std::setfill('0') << std::setw(9); };
    for (const auto& manipulate : {+wide, +left, +internal}) {
        EXPECT_EQ(padded(manipulate, v), "(3, 2ℓ, -1/2ℓ²)7");
        EXPECT_EQ(padded(manipulate, Chern1{-4}), "-4ℓ7");
        EXPECT_EQ(padded(manipulate, Chern2<2>{3}), "3/2ℓ²7");
    }
}

// The numerator stays as given: 4 and 2·2 are the same class but 4 is kept.
TEST(ChernChar, Ch2NumeratorIsNotNormalised) {
    const ChernChar<2> v{1, Chern1{0}, Chern2<2>{4}};
    EXPECT_EQ(v.d.numerator, 4);
    EXPECT_NE(v, (ChernChar<2>{1, Chern1{0}, Chern2<2>{2}}));
    EXPECT_EQ(chern_character::to_string(v), "(1, 0ℓ, 2ℓ²)");
}

// (least numerator strictly above x, greatest numerator at or below x) for
// the lattice (1/2)·ℤ.
struct LatticeRow { Ratio x; std::int64_t above, at_or_below; };
void PrintTo(const LatticeRow& row, std::ostream* out) {
    *out << row.x << " -> (" << row.above << ", " << row.at_or_below << ")";
}
class Lattice : public testing::TestWithParam<LatticeRow> {};
TEST_P(Lattice, RoundsOntoHalfIntegers) {
    const auto& [x, above, at_or_below] = GetParam();
    EXPECT_EQ(least_greater_chern2<2>(x), Chern2<2>{above});
    EXPECT_EQ(greatest_lesser_or_eq_chern2<2>(x), Chern2<2>{at_or_below});
}
INSTANTIATE_TEST_SUITE_P(ChernChar, Lattice, testing::Values(
    LatticeRow{Q(0), 1, 0}, LatticeRow{Q(1, 2), 2, 1}, LatticeRow{Q(-1, 2), 0, -1},
    LatticeRow{Q(5, 4), 3, 2}, LatticeRow{Q(-1, 3), 0, -1}, LatticeRow{Q(7), 15, 14},
    LatticeRow{Q(-7, 2), -6, -7}, LatticeRow{Q(1, 3), 1, 0}, LatticeRow{Q(-5, 4), -2, -3},
    LatticeRow{Q(two_pow(62) - 1), int_max, int_max - 1},
    LatticeRow{Q(-two_pow(62)), int_min + 1, int_min}));

TEST(ChernChar, LatticeScalingOverflowRaises) {
    EXPECT_EQ(greatest_lesser_or_eq_chern2<2>(Q(int_max, 2)), Chern2<2>{int_max});
    EXPECT_THROW(least_greater_chern2<2>(Q(int_max, 2)), primitives::ArithmeticOverflow);
    EXPECT_THROW(least_greater_chern2<2>(Q(two_pow(62))), primitives::ArithmeticOverflow);
    EXPECT_THROW(greatest_lesser_or_eq_chern2<2>(Q(-two_pow(62) - 1)), primitives::ArithmeticOverflow);
    EXPECT_THROW(greatest_lesser_or_eq_chern2<2>(Q(two_pow(62), 3)), primitives::ArithmeticOverflow);
}

// Against the defining inequalities n/N > x >= (n-1)/N and m/N <= x < (m+1)/N
// over a grid of fractions, for N = 2 and for another denominator.
template <std::uint32_t N>
void check_lattice_grid() {
    const auto lattice = [](std::int64_t n) { return Ratio::new_(n, N); };
    for (std::int64_t denom = 1; denom <= 12; ++denom)
        for (std::int64_t numer = -40; numer <= 40; ++numer) {
            const Ratio x = Ratio::new_(numer, denom);
            const std::int64_t n = least_greater_chern2<N>(x).numerator;
            EXPECT_TRUE(lattice(n) > x && lattice(n - 1) <= x) << N << ": " << x << " -> " << n;
            const std::int64_t m = greatest_lesser_or_eq_chern2<N>(x).numerator;
            EXPECT_TRUE(lattice(m) <= x && lattice(m + 1) > x) << N << ": " << x << " -> " << m;
        }
}
TEST(ChernChar, LatticeRoundingMeetsDefinition) {
    check_lattice_grid<2>();
    check_lattice_grid<3>();
}

}  // namespace
}  // namespace varnolt::test
