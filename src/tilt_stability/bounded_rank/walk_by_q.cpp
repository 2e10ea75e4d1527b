#include "tilt_stability/bounded_rank/walk_by_q.hpp"

#include <algorithm>
#include <cstdint>

#include "tilt_stability/bounded_rank/fixed_rank/fixed_c/fixed_c.hpp"
#include "tilt_stability/bounded_rank/fixed_rank/fixed_rank.hpp"
#include "tilt_stability/bounded_rank/rank_ranges.hpp"
#include "tilt_stability/bounded_rank/square_residues.hpp"

namespace varnolt::tilt_stability::bounded_rank {

namespace {

// The search's order of runs: by q = c − r·β, then by rank. q_x < q_y exactly
// when t·(c_x − c_y) − (r_x − r_y)·B < 0 for β = B/t: one surd and one sign
// test. For an irrational β distinct (r, c) never share a q (c_x − c_y =
// (r_x − r_y)·β forces r_x = r_y); for a rational one equal q go by rank.
RunOrder order_by_q(const BoundedSearchData& search) {
    return [&search](const CandidateRun& x, const CandidateRun& y) {
        search.interrupt.tick();
        const Surd& b = search.beta.numer;
        const Surd difference =
            Surd{primitives::checked_mul<wide>(search.t(), wide{x.c} - y.c), 0, b.radicand} - b * (wide{x.r} - y.r);
        const int order = quadratic::sign(difference);
        return order != 0 ? order < 0 : x.r < y.r;
    };
}

// The least multiple of lambda >= 2 in [first, last], or nothing.
std::optional<std::int64_t> least_multiple(std::int64_t first, std::int64_t last, std::int64_t lambda) {
    std::int64_t below = first % lambda;  // in (−λ, λ), of first's sign
    if (below < 0) below += lambda;
    const wide multiple = below == 0 ? wide{first} : wide{first} + (lambda - below);
    if (multiple > last) return std::nullopt;
    return static_cast<std::int64_t>(multiple);
}

// The runs of rank r, whose admissible c are range, by increasing c (and so
// q), to out; beta_floor is floor(β). Only the c divisible by the search's
// c_modulus λ are visited (the others hold no class the caller keeps): from
// the least multiple of λ in the range, in steps of λ. Stepped is λ > 1: the
// plain walk (λ = 1) keeps its inner loop free of λ's arithmetic.
template <bool Stepped>
void append_runs_of_rank(const BoundedSearchData& search, std::int64_t r, wide beta_floor,
                         const std::optional<fixed_rank::CoeffRange>& range, RunSink& out) {
    if (!range) return;
    // λ is the constant 1 in the plain walk, so its steps fold away.
    const std::int64_t lambda = Stepped ? search.c_modulus : 1;
    std::int64_t c = range->first;
    std::int64_t last = range->last;  // the last c visited
    if constexpr (Stepped) {
        const std::optional<std::int64_t> first = least_multiple(range->first, range->last, lambda);
        if (!first) return;
        c = *first;
        last = c + (range->last - c) / lambda * lambda;
    }
    const fixed_rank::FixedRankData rank{search, r};
    SquareResidues<Stepped> residues(r, range->first, c, lambda, beta_floor, search.beta.numer.radicand);
    // A tick per pair that reaches the surd arithmetic, and per skip of at
    // most 1024 visited pairs.
    constexpr std::int64_t most_skipped = 1024;
    for (;;) {
        c += lambda * residues.skip(std::min((last - c) / lambda, most_skipped));
        search.interrupt.tick();
        if (residues.may_hold_candidates())
            if (const auto run = fixed_rank::fixed_c::FixedCoeffData{rank, c}.run()) out.append(*run);
        if (c == last) return;
        residues.next_c();
        c += lambda;
    }
}

// The runs of the ranks 1 … max_rank in turn.
template <bool Stepped>
void append_runs_of_ranks(const BoundedSearchData& search, RankRanges& ranges, wide beta_floor, RunSink& out) {
    for (std::int64_t r = 1; r <= search.max_rank; ++r) {
        search.interrupt.report(r - 1, search.max_rank);
        search.interrupt.tick();
        append_runs_of_rank<Stepped>(search, r, beta_floor, ranges.of_rank(r), out);
    }
}

}  // namespace

// Rank by rank, then one sort of what was found into the order by q: the
// memory follows the candidates found (nothing per visited rank), and a
// count, which ignores the order, holds nothing at all.
//
// Cost: R rank bounds (a few integer steps each), the integer filter on the
// Σ w_r visited (r, c), w_r < S/λ + 2 (so not growing with the surface's
// degree, see square_residues.hpp), the surd arithmetic on the pairs that
// pass it (about S³/3·ln R), and O(F·log F) comparisons for the F runs found.
void append_runs_by_q(const BoundedSearchData& search, RunSink& out) {
    RankRanges ranges(search);
    const wide beta_floor = quadratic::floor_div(search.beta.numer, search.t());
    if (search.c_modulus == 1)
        append_runs_of_ranks<false>(search, ranges, beta_floor, out);
    else
        append_runs_of_ranks<true>(search, ranges, beta_floor, out);
    out.order_by(order_by_q(search));
    search.interrupt.report(search.max_rank, search.max_rank);
}

}  // namespace varnolt::tilt_stability::bounded_rank
