#include "tilt_stability/left_pseudo_semistabilizers/fixed_q_beta/fixed_q_beta.hpp"

#include <algorithm>
#include <vector>

#include "tilt_stability/left_pseudo_semistabilizers/fixed_q_beta/fixed_r/bound_on_d/lower/lower.hpp"
#include "tilt_stability/left_pseudo_semistabilizers/fixed_q_beta/fixed_r/fixed_r.hpp"
#include "primitives/checked.hpp"
#include "primitives/stop.hpp"
#include "utils/rounding.hpp"

namespace varnolt::tilt_stability::left_pseudo_semistabilizers::fixed_q_beta {

using fixed_r::Caps;
using fixed_r::LatticeBound;
using fixed_r::ProblemData;
using fixed_r::bound_on_d::lower::radius_condition_prob2;
using utils::ceil_div;
using primitives::checked_add;
using primitives::checked_add;
using primitives::checked_mul;
using primitives::checked_mul;
using utils::floor_div;
using utils::floor_mod;
using primitives::narrow;

namespace {

// The least admissible rank of one q and its ch1 coefficient.
struct FirstRank {
    std::int64_t r;
    std::int64_t c;
};

// The ranks of one residue class modulo n² that have candidates:
// base + t·n² for 0 <= t <= last.
struct RankRun {
    std::int64_t base;
    std::int64_t base_c;
    LatticeBound base_lower;
    std::int64_t last;
};

// floor(numer/denom) + 1, the least integer strictly above numer/denom.
std::int64_t least_integer_above(wide numer, std::int64_t denom) {
    if (denom == 0) primitives::stop("denominator == 0");
    if (denom < 0) return least_integer_above(-numer, primitives::checked_neg(denom));
    return narrow(floor_div(numer, denom) + 1);
}

// A candidate of rank r has ch1 coefficient c = q + r·β = (k + r·m)/n, an
// integer exactly when n divides k + r·m, that is r ≡ −i·k (mod n) for the
// inverse i of m; its rank lies strictly above v.r·q over the twisted ch1 of
// v, which is v.r·k/X.
Outcome<FirstRank> first_admissible_rank(const FixedQBetaData& fixed_q) {
    const LeftSearchData& search = fixed_q.search;
    const std::int64_t m = search.beta.numer;
    const std::int64_t n = search.beta.denom;
    const std::int64_t k = fixed_q.q_numer;
    const std::int64_t r_min = least_integer_above(static_cast<wide>(search.v.r) * k, search.x());
    if (r_min < 1) return std::unexpected("Internal logical error: Negative lower bound on r");
    if (n < 1) return std::unexpected("n must be positive");
    std::int64_t r0 = r_min;
    if (n != 1) {
        if (!search.m_inverse) return std::unexpected(search.m_inverse.error());
        r0 = checked_add(r_min, floor_mod(-static_cast<wide>(*search.m_inverse) * k - r_min, n));
    }
    const wide r0_term = static_cast<wide>(r0) * m + k;
    if (floor_mod(r0_term, n) != 0)
        return std::unexpected("Internal logical error: Mistake in underlying modular arithmetic");
    return FirstRank{r0, narrow(r0_term / n)};
}

// The classes j = 0 … classes − 1 of ranks r0 + j·n + t·n² (t >= 0) that can
// hold a candidate, handed to visit(j) in some order.
//
// A class has a candidate only if its threshold T_j = n² − (A_j mod n²), with
// A_j the scaled radius bound at its first rank, is at most floor(W) for some
// rank of the class (see fixed_r), so at most W_max = floor(W(r0)), as W never
// increases along the admitted ranks.
// Along the classes A grows by n·m² per class. With A_0 mod n² = h·n + e
// (0 <= e < n) and s = m² mod n:
//   A_j mod n² = n·u_j + e,   u_j = (h + j·s) mod n,
// because j·n·m² ≡ n·(j·s mod n) (mod n²) and n·u_j + e < n². Hence
//   T_j <= W_max  <=>  n·u_j >= n² − e − W_max  <=>  u_j >= u_low := ceil((n² − e − W_max)/n),
// a window of the n − u_low <= W_max/n + 1 highest residues (all of them when
// u_low <= 0, none when u_low >= n; n = 1, and with it m = 0, is always one of
// these two cases). Since m and n are coprime, s has the inverse i² modulo n
// for the inverse i of m, and the class of residue u is j = (u − h)·i² mod n.
// The cost is the smaller of the window and the number of classes.
template <typename Visit>
void for_each_class_in_window(const LeftSearchData& search, std::int64_t classes,
                              std::int64_t first_remainder, wide largest_cap, Visit visit) {
    const std::int64_t m = search.beta.numer;
    const std::int64_t n = search.beta.denom;
    const std::int64_t h = first_remainder / n;
    const std::int64_t e = first_remainder % n;
    const wide u_low = std::max<wide>(
        0, ceil_div(static_cast<wide>(n) * n - e - largest_cap, n));
    if (u_low >= n) return;
    const std::int64_t s = floor_mod(static_cast<wide>(m) * m, n);
    if (n - u_low >= classes) {
        for (std::int64_t j = 0, u = h; j < classes; ++j, u = u + s < n ? u + s : u + s - n) {
            search.interrupt.tick();
            if (u >= u_low) visit(j);
        }
        return;
    }
    // Here 1 <= u_low <= n − 1, so n >= 2 and the inverse exists.
    const std::int64_t i = *search.m_inverse;
    const std::int64_t s_inverse = floor_mod(static_cast<wide>(i) * i, n);
    for (auto u = static_cast<std::int64_t>(u_low); u < n; ++u) {
        search.interrupt.tick();
        const std::int64_t j = floor_mod(static_cast<wide>(u - h) * s_inverse, n);
        if (j < classes) visit(j);
    }
}

// One run per class that has candidates, in increasing order of base rank.
// Within a class a step of n² in rank adds m² to A/n² and keeps A mod n², so
// the class's threshold T is the same at every rank; as W never increases, the
// ranks with W >= T are those from the base up to largest_rank_reaching(T).
std::vector<RankRun> rank_runs_by_class(const FixedQBetaData& fixed_q, const Caps& caps,
                                        FirstRank first, std::int64_t r_max,
                                        std::int64_t n_squared) {
    const LeftSearchData& search = fixed_q.search;
    const std::int64_t m = search.beta.numer;
    const std::int64_t n = search.beta.denom;
    const std::int64_t classes = std::min<std::int64_t>(n, (r_max - first.r) / n + 1);
    const LatticeBound first_lower = radius_condition_prob2(ProblemData{fixed_q, first.r, first.c});

    std::vector<RankRun> runs;
    const auto visit = [&](std::int64_t j) {
        ++search.visited.classes_visited;
        const std::int64_t base = first.r + j * n;  // <= r_max
        const std::int64_t base_c = checked_add(first.c, checked_mul(j, m));
        const LatticeBound lower = radius_condition_prob2(ProblemData{fixed_q, base, base_c});
        const wide highest =
            std::min<wide>(r_max, caps.largest_rank_reaching(n_squared - lower.remainder));
        if (highest >= base) runs.push_back({base, base_c, lower, narrow((highest - base) / n_squared)});
    };
    for_each_class_in_window(search, classes, first_lower.remainder,
                             *caps.least_floor_at(first.r), visit);
    std::sort(runs.begin(), runs.end(),
              [](const RankRun& a, const RankRun& b) { return a.base < b.base; });
    return runs;
}

// Walks t upward; at each t the runs not yet ended, in class order, give the
// ranks base + t·n² in increasing order, since every base lies below r0 + n².
Outcome<void> walk_in_rank_order(const FixedQBetaData& fixed_q, const Caps& caps,
                                 std::vector<RankRun> runs, std::int64_t n_squared,
                                 RunSink& out) {
    const LeftSearchData& search = fixed_q.search;
    const std::int64_t m = search.beta.numer;
    const wide c_step = static_cast<wide>(search.beta.denom) * m;  // c per n² ranks
    for (std::int64_t t = 0; !runs.empty(); ++t) {
        for (const RankRun& run : runs) {
            search.interrupt.tick();
            const ProblemData problem{fixed_q, run.base + t * n_squared,
                                      narrow(checked_add<wide>(run.base_c, checked_mul<wide>(c_step, t)))};
            const Outcome<void> appended =
                problem.append_candidates(caps, run.base_lower.advanced(m, t), out);
            if (!appended) return appended;
        }
        std::erase_if(runs, [t](const RankRun& run) { return run.last == t; });
    }
    return {};
}

}  // namespace

Outcome<void> FixedQBetaData::append_candidates(RunSink& out) const {
    const Outcome<FirstRank> first = first_admissible_rank(*this);
    if (!first) return std::unexpected(first.error());
    // n² < 2^63 also bounds the rank step well below any size limit.
    const std::int64_t n_squared = checked_mul(search.beta.denom, search.beta.denom);
    const std::int64_t r_max = narrow(search.largest_rank());
    if (first->r > r_max) return {};
    const Caps caps(*this);
    return walk_in_rank_order(*this, caps, rank_runs_by_class(*this, caps, *first, r_max, n_squared),
                              n_squared, out);
}

}  // namespace varnolt::tilt_stability::left_pseudo_semistabilizers::fixed_q_beta
