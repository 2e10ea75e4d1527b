#pragma once
// The one entry point of the core's search: a request and a sink. It judges
// the request (v with a real β₋ on the surface's lattice, a point on the asked
// side), turns a right side into the left search of the dual and a point into
// a rank bound, then routes by β₋: a rational β₋ goes to the search by q = k/n
// (left_pseudo_semistabilizers), an irrational one with a rank bound to the
// walk by q (bounded_rank). Runs reach the sink restricted to the surface,
// clipped to the walls over the point and mirrored for the right side, each
// in constant time. When there is no list it says why, as a kind the caller
// decides by, with v and what the message needs.
#include <cstdint>
#include <expected>
#include <optional>
#include <string>

#include "chern_character/chern_character.hpp"
#include "tilt_stability/above/point.hpp"
#include "tilt_stability/candidates/candidates.hpp"
#include "tilt_stability/interrupt.hpp"
#include "tilt_stability/surface/surface.hpp"
#include "utils/message.hpp"

namespace varnolt::tilt_stability {

enum class Side { left, right };

// What to search for. Each option a search gains joins here, with a default
// that keeps the search as it was.
struct SearchRequest {
    ChernChar<2> v;
    // Only the candidates of rank at most max_rank, in the same order, and no
    // rank above it visited; none: every candidate, which needs a rational β₋.
    std::optional<std::int64_t> max_rank = std::nullopt;
    // The surface whose lattice the candidates lie on; v itself must lie on
    // it. Its d is v.d/d_denominator; on a surface of degree n >= 3 the
    // search, its runs and its failures are in the coordinates
    // (r, λc, λ²d) of surface/surface.hpp (lattice_v).
    surface::Surface surface = surface::half_integral_ch2;
    std::int64_t d_denominator = 1;
    // Whose walls: left of the vertical wall β = c/r, or right of it (for
    // r > 0 the classes (−r', c', −d') of the dual's candidates (r', c', d'),
    // see side/mirrored_runs.hpp; rank 0 and negative ranks as for left,
    // unless shifted_as_negated makes the searched v positive first).
    Side side = Side::left;
    // Only the candidates whose wall passes over σ(β, α) or through it; for
    // r >= 0 the search is then bounded by a rank proven from the point
    // (above/rank_bound.hpp), and by max_rank when that is smaller.
    std::optional<above::Point> above = std::nullopt;
    // How a v of negative rank, or of rank 0 with c < 0, is searched: as it is
    // (false: the module varnolt's search, which refuses most of them), or as
    // the class of a shifted object E[1] (true), whose walls are those of E:
    // Z(E[1]) = −Z(E), so every alignment Z(u) ∈ ℝ·Z(v) is unchanged and so is
    // each side of the vertical wall β = c/r. The search is then that of −v,
    // whose rank is positive (or 0 with c > 0), and its candidates are −v's.
    bool shifted_as_negated = false;
};

// Why a search gives no list.
enum class FailureKind {
    irrational_beta,  // v of positive rank, β₋ irrational, no rank bound: infinitely many candidates
    no_real_beta,     // c² − r·d < 0, or r = c = 0: there is no β₋
    negative_rank,    // v of negative rank that the search cannot take (irrational β₋, or X >= 2)
    negative_rank_irrational,  // v of negative rank with an irrational β₋: the walk takes positive ranks
    overflow,         // a value the search needs leaves the range the core holds
    internal_fault,   // a broken invariant of the search itself
    off_lattice,      // v is not on the lattice of the request's surface
    alpha_not_positive,           // the point's α <= 0: no stability condition
    point_on_vertical_wall,       // r > 0 and the point's β = c/r
    point_across_vertical_wall,   // r > 0 and the point on the other side than the one asked
    rank_bound_beyond_int64,      // the rank bound proven from the point leaves 64 bits
    rank_bound_beyond_walk,       // it is more ranks than a walk by q can visit (above::walkable_ranks)
};

struct SearchFailure {
    FailureKind kind;
    utils::Message text;  // what pseudo_semistabilizers says, e.g. "β_ is not rational: ∞ walls"
    ChernChar<2> v;       // the request's v
    // What the caller's message needs beyond v and text: the proven bound
    // ("1.41e+300") for the rank bound kinds, whose text says what it is beyond.
    std::string detail = {};
};

template <typename T>
using SearchResult = std::expected<T, SearchFailure>;

// The v whose candidates the request lists: −v for a shifted class taken as
// negated (see shifted_as_negated), else v; ArithmeticOverflow when −v
// leaves 64 bits.
ChernChar<2> searched_v(const SearchRequest& request);

// The searched v in the coordinates of its runs: (r, λc, λ²d) for the
// surface's λ (itself when λ = 1); ArithmeticOverflow beyond 64 bits.
ChernChar<2> lattice_v(const SearchRequest& request);

// Hands the candidates of the request to out, run by run in the search's
// order (q, then rank, then ch2), or says why there are none to hand (out may
// then hold part of them). Throws Interrupted when interrupt asks it to stop,
// and lets through what out throws (CandidateLimitReached).
SearchResult<void> run_search(const SearchRequest& request, InterruptPoll& interrupt, RunSink& out);

// The candidates held as runs, at most as many as limit allows
// (CandidateLimitReached beyond).
SearchResult<CandidateRuns> find_runs(const SearchRequest& request, InterruptPoll& interrupt,
                                      CandidateLimit limit = {});

// How many candidates there are, counted in constant memory.
SearchResult<uwide> count_candidates(const SearchRequest& request, InterruptPoll& interrupt);

}  // namespace varnolt::tilt_stability
