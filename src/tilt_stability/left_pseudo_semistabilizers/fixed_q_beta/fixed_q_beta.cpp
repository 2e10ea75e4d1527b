#include "tilt_stability/left_pseudo_semistabilizers/fixed_q_beta/fixed_q_beta.hpp"

#include <algorithm>
#include <set>
#include <utility>

#include "tilt_stability/left_pseudo_semistabilizers/fixed_q_beta/fixed_r/bound_on_d/lower/lower.hpp"
#include "tilt_stability/left_pseudo_semistabilizers/fixed_q_beta/fixed_r/fixed_r.hpp"
#include "utils/checked.hpp"
#include "utils/stop.hpp"
#include "utils/utils.hpp"
#include "utils/wide.hpp"

namespace varnolt::tilt_stability::left_pseudo_semistabilizers::fixed_q_beta {

using utils::ceil_div_wide;
using utils::checked_add_wide;
using utils::checked_mul_wide;
using utils::floor_div_wide;

using fixed_r::LatticeBound;
using fixed_r::ProblemData;
using utils::checked_add;
using utils::checked_mul;
using utils::checked_sub;

namespace {

// The ranks of one residue class modulo n² that have candidates:
// base + t·n² for first <= t <= last.
struct RankRun {
    std::int64_t base;
    std::int64_t base_c;
    LatticeBound base_lower;
    std::int64_t first;
    std::int64_t last;
};

}  // namespace

// Which ranks have candidates, without visiting the others.
//
// The admissible ranks are r = r0 + j·n (j >= 0, r <= X²), with c = c0 + j·m.
// A rank has a candidate exactly when an integer lies in (A/n², (A + W)/n²]
// (see fixed_r), that is when W >= T := n² − (A mod n²). Along the ranks,
// A grows by n·m² per step of n, so A mod n² depends only on j mod n: each
// residue class modulo n of j has one threshold T. For that T:
//   k²/r >= T                 <=>  r <= floor(k²/T)
//   (X−k)²/(r − v.r) >= T     <=>  r <= v.r + floor((X−k)²/T)      (for r > v.r)
//   2k(X−k)/(v.r − 2r) >= T   <=>  r >= ceil((v.r − floor(2k(X−k)/T))/2)  (for 2r < v.r)
// and each condition holds trivially outside its range, so the ranks of the
// class with candidates form one run, found in closed form. Within a run, a
// step of n² in rank adds m² to A/n² and keeps A mod n².
Outcome<void> FixedQBetaData::append_candidates(RunSink& out) const {
    const ChernChar<2>& v = search.v;
    const std::int64_t m = search.beta.numer;
    const std::int64_t n = search.beta.denom;
    const std::int64_t k = q_numer;

    // A candidate of rank r has ch1 coefficient c = q + r·β = (k + r·m)/n, an
    // integer exactly when n divides k + r·m; its rank lies strictly above
    // v.r·q over the twisted ch1 of v, which is v.r·k/X.
    const std::int64_t x = search.x();
    const std::int64_t r_min = utils::least_greater_int(Ratio::new_(checked_mul(v.r, k), x));
    if (r_min < 1) return std::unexpected("Internal logical error: Negative lower bound on r");
    if (n < 1) return std::unexpected("n must be positive");

    // The first admissible rank: r0 ≡ −i·k (mod n) for the inverse i of m.
    std::int64_t r0 = r_min;
    if (n != 1) {
        if (!search.m_inverse) return std::unexpected(search.m_inverse.error());
        std::int64_t shift =
            utils::guarded_rem(checked_sub(checked_mul(-*search.m_inverse, k), r_min), n);
        if (shift < 0) shift += n;
        r0 = checked_add(r_min, shift);
    }
    const std::int64_t r0_term = checked_add(checked_mul(r0, m), k);
    if (utils::guarded_rem(r0_term, n) != 0)
        return std::unexpected("Internal logical error: Mistake in underlying modular arithmetic");
    const std::int64_t c0 = utils::guarded_div(r0_term, n);

    // The ranks end at X². n² < 2^63 also bounds the rank step well below any
    // size limit.
    const std::int64_t n_squared = checked_mul(n, n);
    const std::int64_t r_max = checked_mul(x, x);
    if (r0 > r_max) return {};

    const __int128 k_squared = static_cast<__int128>(k) * k;
    const __int128 x_minus_k_squared = static_cast<__int128>(x - k) * (x - k);
    const __int128 two_k_x_minus_k = 2 * static_cast<__int128>(k) * (x - k);
    const std::int64_t classes = std::min<std::int64_t>(n, (r_max - r0) / n + 1);

    std::vector<RankRun> rank_runs;
    for (std::int64_t j = 0; j < classes; ++j) {
        search.interrupt.tick();
        const std::int64_t base = r0 + j * n;  // <= r_max
        const std::int64_t base_c = checked_add(c0, checked_mul(j, m));
        const LatticeBound lower =
            fixed_r::bound_on_d::lower::radius_condition_prob2(ProblemData{*this, base, base_c});
        const __int128 threshold = n_squared - lower.remainder;
        const __int128 highest = std::min<__int128>(
            {r_max, k_squared / threshold, v.r + x_minus_k_squared / threshold});
        const __int128 lowest =
            std::max<__int128>(base, ceil_div_wide(v.r - two_k_x_minus_k / threshold, 2));
        if (highest < lowest) continue;
        const __int128 first = ceil_div_wide(lowest - base, n_squared);
        const __int128 last = floor_div_wide(highest - base, n_squared);
        if (first > last) continue;
        rank_runs.push_back({base, base_c, lower, static_cast<std::int64_t>(first),
                             static_cast<std::int64_t>(last)});
    }

    // Walk t upward; at each t the active runs, in class order, give the ranks
    // base + t·n² in increasing order, since every base lies below r0 + n².
    std::vector<std::size_t> by_first(rank_runs.size());
    for (std::size_t i = 0; i < rank_runs.size(); ++i) by_first[i] = i;
    std::sort(by_first.begin(), by_first.end(), [&](std::size_t a, std::size_t b) {
        return std::pair(rank_runs[a].first, a) < std::pair(rank_runs[b].first, b);
    });
    const __int128 m_squared = static_cast<__int128>(m) * m;
    const __int128 c_step = static_cast<__int128>(n) * m;
    std::set<std::size_t> active;
    std::size_t next = 0;
    std::int64_t t = 0;
    while (next < by_first.size() || !active.empty()) {
        if (active.empty()) t = rank_runs[by_first[next]].first;
        while (next < by_first.size() && rank_runs[by_first[next]].first == t) active.insert(by_first[next++]);
        for (auto it = active.begin(); it != active.end();) {
            const RankRun& run = rank_runs[*it];
            search.interrupt.tick();
            // A step of n² in rank moves c by n·m and A/n² by m².
            const ProblemData problem{
                *this, run.base + t * n_squared,
                utils::narrow(checked_add_wide(run.base_c, checked_mul_wide(c_step, t)))};
            const __int128 quotient = checked_add_wide(run.base_lower.quotient,
                                                              checked_mul_wide(m_squared, t));
            const Outcome<void> appended =
                problem.append_candidates({quotient, run.base_lower.remainder}, out);
            if (!appended) return appended;
            it = run.last == t ? active.erase(it) : std::next(it);
        }
        ++t;
    }
    return {};
}

Outcome<Candidates> FixedQBetaData::find_all() const {
    CandidateRuns found;
    const Outcome<void> appended = append_candidates(found);
    if (!appended) return std::unexpected(appended.error());
    return found.expanded();
}

}  // namespace varnolt::tilt_stability::left_pseudo_semistabilizers::fixed_q_beta
