// The lattices of surfaces of Picard rank one inside the core: runs of step g,
// the sink that keeps of each run the classes of the lattice, the scale λ and
// the judgement of v, each against the definition: c₂ = n·(c² − d)/2 ∈ ℤ.
#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "support.hpp"
#include "tilt_stability/surface/surface.hpp"

namespace varnolt::test::surface {
namespace {

using tilt_stability::CandidateCount;
using tilt_stability::CandidateRun;
using tilt_stability::CandidateRuns;
using tilt_stability::surface::LatticeRuns;
using tilt_stability::surface::Surface;
using chern_character::ChernChar;

using u128 = primitives::uwide;

TEST(CandidateRun, AStepMustDivideTheRun) {
    const std::string message = "candidate run: d_step must be nonzero and divide d_last - d_first";
    EXPECT_EQ(stop_message([] { CandidateRun(1, 0, 0, 3, 2); }), message);
    EXPECT_EQ(stop_message([] { CandidateRun(1, 0, 0, 0, 0); }), message);
    EXPECT_TRUE(CandidateRun(1, 0, int_min, int_max - 1, 2).count() == u128{1} << 63);
}

// Each run through the sink gives exactly the d of the run with d ≡ c (mod 2),
// in order, also at the ends of the 64-bit range.
TEST(LatticeRuns, KeepExactlyTheDOfTheParityOfC) {
    struct Row { std::int64_t c, first, last; };
    const Row rows[] = {{0, 0, 0}, {1, 0, 0}, {-3, -4, 5}, {2, -4, 5}, {1, 6, 7}, {0, int_max - 3, int_max},
                        {1, int_max, int_max}, {0, int_max, int_max}, {-1, int_min, int_min + 4}};
    for (const auto& [c, first, last] : rows) {
        CandidateRuns kept;
        LatticeRuns restricted(tilt_stability::surface::projective_plane, kept);
        restricted.append(CandidateRun(3, c, first, last));
        std::vector<std::int64_t> expected, seen;
        for (std::int64_t d = first;; ++d) {
            if ((d - c) % 2 == 0) expected.push_back(d);
            if (d == last) break;
        }
        for (const CandidateRun& run : kept.runs())
            tilt_stability::for_each_d(run, [&](std::int64_t d) { seen.push_back(d); });
        EXPECT_EQ(seen, expected) << c << ": " << first << ".." << last;
        EXPECT_EQ(kept.size(), expected.size());
    }
    CandidateCount count;
    LatticeRuns counted(tilt_stability::surface::projective_plane, count);
    counted.append(CandidateRun(1, 1, int_min, int_max));  // the odd d: 2^63 of them
    EXPECT_TRUE(count.total() == u128{1} << 63);
}

// Whether (c', d') are the coordinates (λc, λ²d) of a class of ℓ² = n: c'/λ
// an integer and c₂ = n·(c² − d)/2 = n·(c'² − d')/(2λ²) an integer.
bool scaled_class_on(std::int64_t n, std::int64_t lambda, std::int64_t c, std::int64_t d) {
    return c % lambda == 0 && (n * (c * c - d)) % (2 * lambda * lambda) == 0;
}

// λ is the least positive integer with n | 2λ², for every degree up to 300.
TEST(LatticeScale, IsTheLeastLambdaWithNDividingTwiceItsSquare) {
    for (std::int64_t n = 1; n <= 300; ++n) {
        std::int64_t least = 1;
        while ((2 * least * least) % n != 0) ++least;
        const auto scale = tilt_stability::surface::lattice_scale(Surface{n});
        EXPECT_EQ(scale.lambda, least) << n;
        EXPECT_EQ(scale.step, 2 * least * least / n) << n;
    }
}

// On each degree 1 … 12 the sink keeps exactly the (c', d') of scaled classes,
// from runs of every c' in a window.
TEST(LatticeRuns, KeepExactlyTheScaledClassesOfEachDegree) {
    for (std::int64_t n = 1; n <= 12; ++n) {
        const std::int64_t lambda = tilt_stability::surface::lattice_scale(Surface{n}).lambda;
        for (std::int64_t c = -13; c <= 13; ++c) {
            for (const auto& [first, last] : {std::pair<std::int64_t, std::int64_t>{-40, 37}, {5, 5}, {-3, 2}}) {
                CandidateRuns kept;
                LatticeRuns restricted(Surface{n}, kept);
                restricted.append(CandidateRun(2, c, first, last));
                std::vector<std::int64_t> expected, seen;
                for (std::int64_t d = first; d <= last; ++d)
                    if (scaled_class_on(n, lambda, c, d)) expected.push_back(d);
                for (const CandidateRun& run : kept.runs()) {
                    EXPECT_EQ(run.c, c);
                    tilt_stability::for_each_d(run, [&](std::int64_t d) { seen.push_back(d); });
                }
                EXPECT_EQ(seen, expected) << n << ": " << c << ", " << first << ".." << last;
            }
        }
    }
}

// v = (r, c, a/b) is on the lattice of ℓ² = n exactly when c₂ = n·(c² − a/b)/2
// is an integer, that is 2b | n·(c²·b − a); and then scaled gives (r, λc, λ²a/b).
TEST(OnLattice, IsTheIntegralityOfC2) {
    for (std::int64_t n = 1; n <= 10; ++n) {
        const std::int64_t lambda = tilt_stability::surface::lattice_scale(Surface{n}).lambda;
        for (std::int64_t c = -4; c <= 4; ++c)
            for (std::int64_t b = 1; b <= 12; ++b)
                for (std::int64_t a = -30; a <= 30; ++a) {
                    const ChernChar<2> v{3, {c}, {a}};
                    const bool on = (n * (c * c * b - a)) % (2 * b) == 0;
                    EXPECT_EQ(tilt_stability::surface::on_lattice(Surface{n}, v, b), on) << n << " " << c << " " << a << "/" << b;
                    if (!on) continue;
                    const ChernChar<2> scaled = tilt_stability::surface::scaled(Surface{n}, v, b);
                    EXPECT_EQ(scaled.c.coeff, lambda * c);
                    EXPECT_EQ(scaled.d.numerator * b, lambda * lambda * a);
                }
    }
    // d = −2^63: even, so on P²'s lattice for c = 0, and on no lattice over 3.
    const ChernChar<2> extreme{1, {0}, {std::numeric_limits<std::int64_t>::min()}};
    EXPECT_TRUE(tilt_stability::surface::on_lattice(Surface{1}, extreme, 1));
    EXPECT_FALSE(tilt_stability::surface::on_lattice(Surface{1}, extreme, 3));
}

}  // namespace
}  // namespace varnolt::test::surface
