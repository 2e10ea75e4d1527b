#include "tilt_stability/bounded_rank/walk_by_q.hpp"

#include <cstdint>

#include "tilt_stability/bounded_rank/fixed_rank/fixed_c/fixed_c.hpp"
#include "tilt_stability/bounded_rank/fixed_rank/fixed_rank.hpp"
#include "tilt_stability/bounded_rank/rank_ranges.hpp"

namespace varnolt::tilt_stability::bounded_rank {

namespace {

// Which (r, c) can hold a candidate, by an exact integer test before any surd.
//
// Claim: every candidate u = (r, c, d/2) has Bogomolov discriminant
// Δ_u = c² − r·d with 0 <= Δ_u < S², S the twisted ch1 of v.
// Proof: with q = c − r·β, q² − Δ_u = −2r·β·c + r²·β² + r·d, so the twisted
// ch2 of u is d/2 − β·c + β²·r/2 = (q² − Δ_u)/(2r). The radius condition
// asks it to be positive: Δ_u < q² < S² (0 < q < S). The cap q²/(2r) asks it
// to be at most q²/(2r): Δ_u >= 0.
// So r·d lies in (c² − S², c²]. The largest multiple of r up to c² is
// c² − m for m = c² mod r, and it is above c² − S² exactly when m < S²: when
// m >= S², no d makes a candidate and the pair is skipped. For r <= S² every
// pair passes (m < r); for larger r only about S²/r of them do, so the walk
// pays the surd arithmetic for about S²·ln(R) pairs instead of S·R.
//
// The walk runs for an irrational β only, where S = √Δ and S² = Δ, the
// radicand of β; with a rational β (radicand 0) no pair is skipped.
//
// m is followed along the c of one rank without a division per pair: with
// k = (2c + 1) mod r, (c + 1)² = c² + (2c + 1) gives m ← m + k and k ← k + 2,
// each reduced by one subtraction (both stay below r).
class SquareResidues {
public:
    // s_squared: S² = Δ < 2^63, or 0 for a rational β.
    SquareResidues(std::int64_t r, std::int64_t c, utils::wide s_squared)
        : modulus_(static_cast<std::uint64_t>(r)),
          bound_(s_squared > 0 ? static_cast<std::uint64_t>(s_squared) : UINT64_MAX) {
        const std::int64_t remainder = c % r;  // |remainder| < r
        const auto residue = static_cast<std::uint64_t>(remainder < 0 ? remainder + r : remainder);
        // residue² < 2^126: in 64 bits when r < 2^32, several times faster.
        m_ = modulus_ < (std::uint64_t{1} << 32)
                 ? residue * residue % modulus_
                 : static_cast<std::uint64_t>(static_cast<utils::uwide>(residue) * residue % modulus_);
        k_ = (2 * residue + 1) % modulus_;  // below 2^64: residue < 2^63
    }

    // Whether the current c can hold a candidate: m < S² (every c when β is rational).
    bool may_hold_candidates() const { return m_ < bound_; }

    void next_c() {
        m_ = reduced(m_ + k_);
        k_ = reduced(k_ + 2 % modulus_);  // 2 mod r: 0 for r = 1 and r = 2, where k stays put
    }

private:
    // x < 2·modulus, in [0, modulus).
    std::uint64_t reduced(std::uint64_t x) const { return x >= modulus_ ? x - modulus_ : x; }

    std::uint64_t modulus_;
    std::uint64_t bound_;  // S², or more than any residue
    std::uint64_t m_ = 0;  // c² mod r
    std::uint64_t k_ = 0;  // (2c + 1) mod r
};

// The search's order of runs: by q = c − r·β, then by rank. q_x < q_y exactly
// when t·(c_x − c_y) − (r_x − r_y)·B < 0 for β = B/t: one surd and one sign
// test. For an irrational β distinct (r, c) never share a q (c_x − c_y =
// (r_x − r_y)·β forces r_x = r_y); for a rational one equal q go by rank.
RunOrder order_by_q(const BoundedSearchData& search) {
    return [&search](const CandidateRun& x, const CandidateRun& y) {
        search.interrupt.tick();
        const Surd& b = search.beta.numer;
        const Surd difference =
            Surd{utils::checked_mul<wide>(search.t(), wide{x.c} - y.c), 0, b.radicand} - b * (wide{x.r} - y.r);
        const int order = quadratic::sign(difference);
        return order != 0 ? order < 0 : x.r < y.r;
    };
}

// The runs of rank r, whose admissible c are range, by increasing c (and so
// q), to out.
void append_runs_of_rank(const BoundedSearchData& search, std::int64_t r,
                         const std::optional<fixed_rank::CoeffRange>& range, RunSink& out) {
    if (!range) return;
    const fixed_rank::FixedRankData rank{search, r};
    SquareResidues residues(r, range->first, search.beta.numer.radicand);
    for (std::int64_t c = range->first;; ++c) {
        search.interrupt.tick();
        if (residues.may_hold_candidates())
            if (const auto run = fixed_rank::fixed_c::FixedCoeffData{rank, c}.run()) out.append(*run);
        if (c == range->last) return;
        residues.next_c();
    }
}

}  // namespace

// Rank by rank, then one sort of what was found into the order by q: the
// memory follows the candidates found (nothing per visited rank), and a
// count, which ignores the order, holds nothing at all.
//
// Cost: R rank bounds (a few integer steps each), the integer filter on the
// Σ w_r admissible (r, c), w_r < S + 1, the surd arithmetic on the pairs that
// pass it (about S²·ln R), and O(F·log F) comparisons for the F runs found.
void append_runs_by_q(const BoundedSearchData& search, RunSink& out) {
    RankRanges ranges(search);
    for (std::int64_t r = 1; r <= search.max_rank; ++r) {
        search.interrupt.report(r - 1, search.max_rank);
        search.interrupt.tick();
        append_runs_of_rank(search, r, ranges.of_rank(r), out);
    }
    out.order_by(order_by_q(search));
    search.interrupt.report(search.max_rank, search.max_rank);
}

}  // namespace varnolt::tilt_stability::bounded_rank
