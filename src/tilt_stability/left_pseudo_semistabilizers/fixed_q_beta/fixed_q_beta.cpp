#include "tilt_stability/left_pseudo_semistabilizers/fixed_q_beta/fixed_q_beta.hpp"

#include <algorithm>
#include <optional>
#include <vector>

#include "tilt_stability/left_pseudo_semistabilizers/fixed_q_beta/fixed_r/bound_on_d/lower/lower.hpp"
#include "tilt_stability/left_pseudo_semistabilizers/fixed_q_beta/fixed_r/fixed_r.hpp"
#include "primitives/checked.hpp"
#include "ratio/gcd.hpp"
#include "primitives/stop.hpp"
#include "utils/modular.hpp"
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

// The admissible ranks r0 + i·n (i >= 0) whose c is a multiple of the
// wanted modulus: those with i ≡ index (mod period).
struct WantedRanks {
    std::int64_t index;
    std::int64_t period;
};

// The ranks in class j (i = j + t·n, t >= 0) that are wanted: t ≡ first_t
// (mod period), so the class's wanted ranks step by n²·period.
struct WantedInClass {
    std::int64_t first_t;
    std::int64_t period;
};

// The ranks of one residue class modulo n² that have candidates:
// base + t·step for 0 <= t <= last, step = n²·(the class's wanted period).
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

// The inverse of a modulo p, where gcd(a, p) = 1; 0 when p = 1.
std::int64_t inverse_modulo(wide a, std::int64_t p) {
    if (p == 1) return 0;
    const Outcome<std::int64_t> inverse = utils::modulo_inverse(narrow(floor_mod(a, p)), p);
    if (!inverse) primitives::stop(inverse.error());
    return *inverse;
}

// The admissible ranks r0 + i·n have c = c0 + i·m. With λ the wanted modulus
// and g = gcd(m, λ), λ | c0 + i·m needs g | c0 (as g | i·m); then it reads
// (m/g)·i ≡ −c0/g (mod λ/g), and m/g is a unit modulo λ/g (any common factor
// would raise gcd(m, λ) above g), so i ≡ (−c0/g)·(m/g)⁻¹ (mod λ/g): one residue
// class of period λ/g, or none. λ = 1 gives every i (index 0, period 1).
// Without a wanted modulus (λ = 1) every rank is wanted, at no cost per q.
std::optional<WantedRanks> wanted_ranks(const LeftSearchData& search, FirstRank first) {
    const std::int64_t m = search.beta.numer;
    const std::int64_t lambda = search.c_modulus;
    if (lambda == 1) return WantedRanks{0, 1};
    // From the magnitudes (m may be −2^63): between 1 and λ, so it fits.
    const auto g = static_cast<std::int64_t>(
        ratio::binary_gcd(ratio::magnitude_of(m), static_cast<std::uint64_t>(lambda)));
    if (first.c % g != 0) return std::nullopt;
    const std::int64_t period = lambda / g;
    const wide index = floor_mod(-static_cast<wide>(first.c / g) * inverse_modulo(m / g, period), period);
    return WantedRanks{narrow(index), period};
}

// Class j holds i = j + t·n. With g = gcd(n, P) for the wanted period P,
// j + t·n ≡ index (mod P) needs g | index − j; then t·(n/g) ≡ (index − j)/g
// (mod P/g), with n/g a unit modulo P/g, so t ≡ ((index − j)/g)·(n/g)⁻¹
// (mod P/g). The inverse is one per q, so each class costs O(1).
struct ClassFilter {
    WantedRanks wanted;
    std::int64_t g = 1;
    std::int64_t class_period = 1;  // P/g, the wanted period of every class
    std::int64_t n_over_g_inverse = 0;

    // One per q; P = 1 (every rank wanted) is the search without a wanted
    // modulus, and costs no gcd or division, per q or per class.
    ClassFilter(WantedRanks wanted_ranks, std::int64_t n) : wanted(wanted_ranks) {
        if (wanted.period == 1) return;
        g = static_cast<std::int64_t>(
            ratio::binary_gcd(static_cast<std::uint64_t>(n), static_cast<std::uint64_t>(wanted.period)));
        class_period = wanted.period / g;
        n_over_g_inverse = inverse_modulo(n / g, class_period);
    }

    std::optional<WantedInClass> in_class(std::int64_t j) const {
        if (wanted.period == 1) return WantedInClass{0, 1};
        const std::int64_t offset = wanted.index - j;  // |offset| < max(n, P)
        if (offset % g != 0) return std::nullopt;
        const wide first_t = floor_mod(static_cast<wide>(offset / g) * n_over_g_inverse, class_period);
        return WantedInClass{narrow(first_t), class_period};
    }
};

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

// A wanted modulus g of d (d ≡ c² mod g) at most this splits each class's
// run by the residue of t modulo g (below); a larger one leaves the runs
// whole, for the caller's filter, so that a q holds at most this many runs
// per class.
constexpr std::int64_t largest_split_modulus = 64;

bool split_by_wanted_d(const LeftSearchData& search) {
    return search.d_modulus > 1 && search.d_modulus <= largest_split_modulus;
}

// The runs of one class whose ranks hold a wanted d, appended to runs.
//
// Along the run, rank base + t·s (s = n²·period) has c_t = base_c + t·n·period·m,
// A_t = quotient_t·n² + remainder with quotient_t = base quotient + t·period·m²
// and its d from quotient_t + 1 to quotient_t + count_t, where
// count_t = floor((remainder + floor(W))/n²) (see fixed_r). The least of them
// with d ≡ c_t² (mod g) is quotient_t + 1 + o_t, o_t = (c_t² − quotient_t − 1)
// mod g, so the rank holds a wanted d exactly when count_t >= o_t + 1, that
// is floor(W) >= T_t := (o_t + 1)·n² − remainder. c_{t+g} ≡ c_t and
// quotient_{t+g} ≡ quotient_t (mod g), so o_t depends only on u = t mod g;
// as W never increases, the ranks of residue u that hold a wanted d are
// those from the first up to largest_rank_reaching(T_u): one run of step g·s
// per residue u <= last (T_u >= n² − remainder, the class's threshold, so
// it ends no later than the class's run).
void append_runs_holding_wanted_d(const FixedQBetaData& fixed_q, const Caps& caps, const RankRun& run,
                                  std::int64_t period, std::int64_t r_max, std::int64_t n_squared,
                                  std::vector<RankRun>& runs) {
    const LeftSearchData& search = fixed_q.search;
    const std::int64_t m = search.beta.numer;
    const std::int64_t g = search.d_modulus;
    const wide step = static_cast<wide>(n_squared) * period;  // < 2^63·2^31
    // A u >= 1 is taken only when last >= 1, so step <= r_max < 2^63; then
    // n·period < 2^63 and c moves by less than 2^126 per step.
    const wide c_step = run.last > 0 ? static_cast<wide>(search.beta.denom) * period * m : 0;
    const wide residues = std::min<wide>(g - 1, run.last);
    for (std::int64_t u = 0; u <= residues; ++u) {
        // rank <= the class's highest rank <= r_max, and c of a rank the
        // whole run would visit: both as the walk would compute them.
        const auto rank = static_cast<std::int64_t>(run.base + u * step);
        const std::int64_t c = narrow(checked_add<wide>(run.base_c, checked_mul<wide>(c_step, u)));
        const LatticeBound lower = run.base_lower.advanced(m, u * period);
        const std::int64_t c_mod = floor_mod(c, g);  // < g <= 64, so its square is small
        const std::int64_t least_offset = floor_mod(c_mod * c_mod - floor_mod(lower.quotient, g) - 1, g);
        const wide threshold = static_cast<wide>(least_offset + 1) * n_squared - lower.remainder;
        const wide highest = std::min<wide>(r_max, caps.largest_rank_reaching(threshold));
        if (highest < rank) continue;
        runs.push_back({rank, c, lower, narrow((highest - rank) / (step * g))});
    }
}

// One run per class that has wanted candidates, in increasing order of base
// rank. Within a class a step of n² in rank adds m² to A/n² and keeps
// A mod n², so the class's threshold T is the same at every rank; as W never
// increases, the ranks with W >= T are those from the class's first rank up
// to largest_rank_reaching(T). The run keeps the wanted ones among them, from
// the first wanted rank, which lies below the class's first rank + n²·period.
// With a small wanted modulus of d the run is split as above, into runs of
// step n²·period·g whose bases lie below the class's first rank
// + n²·period·g. Without a wanted modulus (filtered false, the module
// varnolt's search) every class's run starts at its first rank with step n²,
// and none of the filter's arithmetic is done.
template <bool filtered>
std::vector<RankRun> rank_runs_by_class(const FixedQBetaData& fixed_q, const Caps& caps,
                                        FirstRank first, const ClassFilter* filter,
                                        std::int64_t r_max, std::int64_t n_squared) {
    const LeftSearchData& search = fixed_q.search;
    const std::int64_t m = search.beta.numer;
    const std::int64_t n = search.beta.denom;
    const std::int64_t classes = std::min<std::int64_t>(n, (r_max - first.r) / n + 1);
    const LatticeBound first_lower = radius_condition_prob2(ProblemData{fixed_q, first.r, first.c});

    std::vector<RankRun> runs;
    const auto visit = [&](std::int64_t j) {
        std::optional<WantedInClass> wanted;
        if constexpr (filtered) {
            wanted = filter->in_class(j);
            if (!wanted) return;
        }
        ++search.visited.classes_visited;
        const std::int64_t class_first = first.r + j * n;  // <= r_max
        const std::int64_t class_c = checked_add(first.c, checked_mul(j, m));
        const LatticeBound lower = radius_condition_prob2(ProblemData{fixed_q, class_first, class_c});
        const wide highest =
            std::min<wide>(r_max, caps.largest_rank_reaching(n_squared - lower.remainder));
        if constexpr (!filtered) {
            if (highest >= class_first)
                runs.push_back({class_first, class_c, lower, narrow((highest - class_first) / n_squared)});
        } else {
            // t < period <= c_modulus, so these stay far inside 128 bits.
            const wide base = class_first + static_cast<wide>(wanted->first_t) * n_squared;
            if (highest < base) return;
            const wide base_c = checked_add<wide>(
                class_c, checked_mul<wide>(static_cast<wide>(wanted->first_t) * n, m));
            const wide step = static_cast<wide>(n_squared) * wanted->period;
            const RankRun run{narrow(base), narrow(base_c), lower.advanced(m, wanted->first_t),
                              narrow((highest - base) / step)};
            if (split_by_wanted_d(search))
                append_runs_holding_wanted_d(fixed_q, caps, run, wanted->period, r_max, n_squared, runs);
            else
                runs.push_back(run);
        }
    };
    for_each_class_in_window(search, classes, first_lower.remainder,
                             *caps.least_floor_at(first.r), visit);
    std::sort(runs.begin(), runs.end(),
              [](const RankRun& a, const RankRun& b) { return a.base < b.base; });
    return runs;
}

// Walks t upward; at each t the runs not yet ended, in class order, give the
// ranks base + t·step in increasing order, since every base lies in
// [r0, r0 + step) for the common step = n²·period (the classes' wanted
// periods are all P/gcd(n, P)). Without a wanted modulus (filtered false)
// the period is 1 as a constant, so the step is n² with no product per rank.
template <bool filtered>
Outcome<void> walk_in_rank_order(const FixedQBetaData& fixed_q, const Caps& caps,
                                 std::vector<RankRun> runs, std::int64_t n_squared,
                                 std::int64_t runs_period, RunSink& out) {
    const LeftSearchData& search = fixed_q.search;
    const std::int64_t m = search.beta.numer;
    std::int64_t period = 1;
    std::int64_t step = n_squared;
    wide c_step = static_cast<wide>(search.beta.denom) * m;  // c per step, < 2^126
    if constexpr (filtered) {
        // A t >= 1 is walked only when some run has step <= r_max < 2^63; then
        // rank + t·step and t·period stay below 2^63, and c moves by
        // n·period·m < 2^126 per step. Otherwise only t = 0 is walked.
        period = runs_period;
        const wide wide_step = static_cast<wide>(n_squared) * period;
        const bool can_step = wide_step <= INT64_MAX;
        step = can_step ? narrow(wide_step) : 0;
        c_step = can_step ? c_step * period : 0;
    }
    for (std::int64_t t = 0; !runs.empty(); ++t) {
        for (const RankRun& run : runs) {
            search.interrupt.tick();
            const ProblemData problem{fixed_q, run.base + t * step,
                                      narrow(checked_add<wide>(run.base_c, checked_mul<wide>(c_step, t)))};
            const Outcome<void> appended =
                problem.append_candidates(caps, run.base_lower.advanced(m, t * period), out);
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
    const std::int64_t n = search.beta.denom;
    const std::int64_t n_squared = checked_mul(n, n);
    const std::int64_t r_max = narrow(search.largest_rank());
    if (first->r > r_max) return {};
    const bool split = split_by_wanted_d(search);
    if (search.c_modulus == 1 && !split) {
        // Every rank wanted (the module varnolt's search): nothing per q or
        // per class beyond the search itself.
        const Caps caps(*this);
        std::vector<RankRun> runs = rank_runs_by_class<false>(*this, caps, *first, nullptr, r_max, n_squared);
        return walk_in_rank_order<false>(*this, caps, std::move(runs), n_squared, 1, out);
    }
    const std::optional<WantedRanks> wanted = wanted_ranks(search, *first);
    if (!wanted) return {};
    const ClassFilter filter(*wanted, n);
    const Caps caps(*this);
    // The runs' common step in units of n²: the classes' wanted period, times
    // g when they are split by the wanted d.
    const std::int64_t period = filter.class_period;
    std::vector<RankRun> runs = rank_runs_by_class<true>(*this, caps, *first, &filter, r_max, n_squared);
    return walk_in_rank_order<true>(*this, caps, std::move(runs), n_squared,
                                    split ? period * search.d_modulus : period, out);
}

Outcome<CandidateRuns> FixedQBetaData::find_all() const {
    return collected_runs([&](RunSink& out) { return append_candidates(out); });
}

}  // namespace varnolt::tilt_stability::left_pseudo_semistabilizers::fixed_q_beta
