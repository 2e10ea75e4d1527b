#pragma once
// The one entry point of the core's search: a request and a sink. It routes
// by β₋(v): a rational β₋ goes to the search by q = k/n
// (left_pseudo_semistabilizers), an irrational one with a rank bound to the
// walk by q (bounded_rank). When there is no list it says why, as a kind the
// caller decides by and the text that varnolt shows.
#include <cstdint>
#include <expected>
#include <optional>

#include "chern_character/chern_character.hpp"
#include "tilt_stability/candidates/candidates.hpp"
#include "tilt_stability/interrupt.hpp"
#include "tilt_stability/surface/surface.hpp"
#include "utils/message.hpp"

namespace varnolt::tilt_stability {

// What to search for. Each option a search gains joins here, with a default
// that keeps the search as it was.
struct SearchRequest {
    ChernChar<2> v;
    // Only the candidates of rank at most max_rank, in the same order, and no
    // rank above it visited; none: every candidate, which needs a rational β₋.
    std::optional<std::int64_t> max_rank = std::nullopt;
    // The lattice of the candidates' ch2; v itself must lie on it.
    surface::Surface surface = surface::Surface::half_integral_ch2;
};

// Why a search gives no list.
enum class FailureKind {
    irrational_beta,  // v of positive rank, β₋ irrational, no rank bound: infinitely many candidates
    no_real_beta,     // c² − r·d < 0, or r = c = 0: there is no β₋
    negative_rank,    // v of negative rank that the search cannot take (irrational β₋, or X >= 2)
    overflow,         // a value the search needs leaves the range the core holds
    internal_fault,   // a broken invariant of the search itself
};

struct SearchFailure {
    FailureKind kind;
    utils::Message text;  // what pseudo_semistabilizers says, e.g. "β_ is not rational: ∞ walls"
};

template <typename T>
using SearchResult = std::expected<T, SearchFailure>;

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
