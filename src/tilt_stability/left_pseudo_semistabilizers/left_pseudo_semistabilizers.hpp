#pragma once
// The search driver: every candidate left pseudo-semistabilizer of v at
// β = β₋(v) = m/n, ordered by q = k/n (the candidates' ch1 twisted by β), then
// by rank, then by ch2. find_all is the module varnolt's search; append_all
// hands the same runs to any sink, for the general search (search.hpp).
//
// It raises ArithmeticOverflow when a value the search needs
// leaves 64 bits, and Interrupted when interrupt asks it to stop.
#include <cstdint>
#include <optional>

#include "tilt_stability/left_pseudo_semistabilizers/search_data.hpp"

namespace varnolt::tilt_stability::left_pseudo_semistabilizers {

inline constexpr Message not_rational = "β_ is not rational: ∞ walls";
inline constexpr Message not_real = "β_ is not real: no walls";

struct SearchOptions {
    // Lists only the candidates of rank at most this, in the same order, and
    // visits no rank above it; none: every rank up to X².
    std::optional<std::int64_t> rank_ceiling = std::nullopt;
    // When set, receives what the search visited.
    SearchStats* visited = nullptr;
    // Only the candidates whose c is a multiple of this are wanted (the
    // surface's λ, see surface/surface.hpp): a q whose candidates cannot have
    // one is skipped, and so is every rank whose c is not one; the ranks that
    // can have one are listed whole, for the caller to filter.
    std::int64_t c_modulus = 1;
    // Only the candidates with d ≡ c² (mod this) are wanted (the surface's
    // g, see surface/surface.hpp): for a small modulus, ranks that hold no
    // such d are not visited either; the ranks visited are listed whole.
    std::int64_t d_modulus = 1;
};

// Hands the candidates to out, run by run in the search's order, or returns
// the first message any stage met (out may then hold part of them).
Outcome<void> append_all(const ChernChar<2>& v, InterruptPoll& interrupt, RunSink& out,
                         const SearchOptions& options = {});

// Every candidate of v, held as runs in the search's order (one per rank,
// CandidateRuns::expanded gives one ChernChar<2> per candidate), or the first
// message: "β_ is not real: no walls" or "β_ is not rational: ∞ walls" for a
// v without a rational β₋, else a stage's. Throws CandidateLimitReached when
// the candidates number more than limit allows.
Outcome<CandidateRuns> find_all(const ChernChar<2>& v, InterruptPoll& interrupt, CandidateLimit limit = {});
// The same, never interrupted and without a limit.
Outcome<CandidateRuns> find_all(const ChernChar<2>& v);

}  // namespace varnolt::tilt_stability::left_pseudo_semistabilizers
