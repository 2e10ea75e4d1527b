#pragma once
// Searches bounded by rank: every candidate left pseudo-semistabilizer of v of
// rank at most max_rank, at β = β₋(v) whether rational or not. An irrational
// β₋ has infinitely many candidates accumulating at it; a rank bound leaves
// finitely many.
#include <cstdint>

#include "tilt_stability/bounded_rank/search_data.hpp"

namespace varnolt::tilt_stability::bounded_rank {

// Appends to out, in the search's order (q as a real number, then rank, then
// ch2), the candidates (r', c', d') with 1 <= r' <= max_rank (none when
// max_rank < 1), or returns the message that ends the search:
// - no real β₋ (Δ < 0, or rank 0 with c = 0): "β_ is not rational: ∞ walls";
// - negative rank: exactly what the unbounded search gives for v (its message,
//   or its list, which is then empty).
// For a rational β₋ the list is the unbounded search's list without the ranks
// above max_rank. Raises ArithmeticOverflow when a value it needs leaves the
// range the core holds, and Interrupted when interrupt asks it to stop; out may
// then hold part of the runs.
Outcome<void> find_bounded_runs(const ChernChar<2>& v, std::int64_t max_rank, InterruptPoll& interrupt,
                                RunSink& out);

}  // namespace varnolt::tilt_stability::bounded_rank
