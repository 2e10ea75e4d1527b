#include "tilt_stability/bounded_rank/walk_by_q.hpp"

#include <queue>
#include <vector>

#include "tilt_stability/bounded_rank/fixed_rank/fixed_c/fixed_c.hpp"
#include "tilt_stability/bounded_rank/fixed_rank/fixed_rank.hpp"

namespace varnolt::tilt_stability::bounded_rank {

namespace {

// The next c of one rank still to be examined, and the rank's last c.
struct Cursor {
    std::int64_t r;
    std::int64_t c;
    std::int64_t c_last;
};

}  // namespace

// Within one rank q = c − r·β grows with c, so each rank's admissible c give
// one list sorted by q, and a heap over the ranks merges them in q order.
// Order of two cursors: q1 < q2 exactly when t·(c1 − c2) − (r1 − r2)·B < 0
// (β = B/t), one surd and one sign test; equal q (only for rational β) go by
// rank. For irrational β distinct (r, c) never share a q, since
// c1 − c2 = (r1 − r2)·β forces r1 = r2 and c1 = c2.
//
// Cost: every admissible (r, c) is popped once, and each pop costs O(log R)
// comparisons plus the O(1) exact work of its ch2 run: O(R·w·log R) in all for
// w admissible c per rank (w < S + 1), with one cursor per rank in memory.
void append_runs_by_q(const BoundedSearchData& search, CandidateRuns& out) {
    const wide t = search.t();
    const Surd& b = search.beta.numer;
    const auto after = [&](const Cursor& x, const Cursor& y) {
        const Surd difference = Surd{utils::checked_mul_wide(t, wide{x.c} - y.c), 0, b.radicand} -
                                b * (wide{x.r} - y.r);
        const int order = quadratic::sign(difference);
        return order != 0 ? order > 0 : x.r > y.r;
    };
    std::priority_queue<Cursor, std::vector<Cursor>, decltype(after)> heap(after);

    for (std::int64_t r = 1; r <= search.max_rank; ++r) {
        search.interrupt.tick();
        if (const auto range = fixed_rank::FixedRankData{search, r}.admissible_c())
            heap.push({r, range->first, range->last});
    }
    while (!heap.empty()) {
        search.interrupt.tick();
        Cursor next = heap.top();
        heap.pop();
        const fixed_rank::FixedRankData rank{search, next.r};
        if (const auto run = fixed_rank::fixed_c::FixedCoeffData{rank, next.c}.run()) out.append(*run);
        if (next.c < next.c_last) {
            ++next.c;
            heap.push(next);
        }
    }
}

}  // namespace varnolt::tilt_stability::bounded_rank
