// The projective plane's lattice inside the core: runs of step 2 and the sink
// that keeps, of each run, the d of c's parity.
#include <gtest/gtest.h>

#include <vector>

#include "support.hpp"
#include "tilt_stability/surface/surface.hpp"

namespace varnolt::test::surface {
namespace {

using tilt_stability::CandidateCount;
using tilt_stability::CandidateRun;
using tilt_stability::CandidateRuns;
using tilt_stability::surface::ProjectivePlaneRuns;

using u128 = primitives::uwide;

TEST(CandidateRun, AStepMustDivideTheRun) {
    const std::string message = "candidate run: d_step must be nonzero and divide d_last - d_first";
    EXPECT_EQ(stop_message([] { CandidateRun(1, 0, 0, 3, 2); }), message);
    EXPECT_EQ(stop_message([] { CandidateRun(1, 0, 0, 0, 0); }), message);
    EXPECT_TRUE(CandidateRun(1, 0, int_min, int_max - 1, 2).count() == u128{1} << 63);
}

// Each run through the sink gives exactly the d of the run with d ≡ c (mod 2),
// in order, also at the ends of the 64-bit range.
TEST(ProjectivePlaneRuns, KeepExactlyTheDOfTheParityOfC) {
    struct Row { std::int64_t c, first, last; };
    const Row rows[] = {{0, 0, 0}, {1, 0, 0}, {-3, -4, 5}, {2, -4, 5}, {1, 6, 7}, {0, int_max - 3, int_max},
                        {1, int_max, int_max}, {0, int_max, int_max}, {-1, int_min, int_min + 4}};
    for (const auto& [c, first, last] : rows) {
        CandidateRuns kept;
        ProjectivePlaneRuns restricted(kept);
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
    ProjectivePlaneRuns counted(count);
    counted.append(CandidateRun(1, 1, int_min, int_max));  // the odd d: 2^63 of them
    EXPECT_TRUE(count.total() == u128{1} << 63);
}

}  // namespace
}  // namespace varnolt::test::surface
