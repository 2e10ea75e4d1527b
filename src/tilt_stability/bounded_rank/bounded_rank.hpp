#pragma once
// Searches bounded by rank at an irrational β₋: every candidate left
// pseudo-semistabilizer of v of rank at most max_rank. An irrational β₋ has
// infinitely many candidates accumulating at it; a rank bound leaves finitely
// many. (tilt_stability/search.hpp routes here; a rational β₋ goes to the
// search by q = k/n with its rank ceiling instead.)
#include <cstdint>

#include "tilt_stability/bounded_rank/search_data.hpp"

namespace varnolt::tilt_stability::bounded_rank {

// Appends to out, in the search's order (q as a real number, then rank, then
// ch2), the candidates (r', c', d') with 1 <= r' <= max_rank (none when
// max_rank < 1), for v of positive rank with β₋ = (c − √Δ)/r irrational (a
// stop otherwise). Raises ArithmeticOverflow when a value it needs leaves the
// range the core holds, and Interrupted when interrupt asks it to stop; out
// may then hold part of the runs. With c_modulus λ >= 1 only the candidates
// with λ | c' are appended, and the cost of a rank does not grow with λ.
void append_bounded_runs(const ChernChar<2>& v, std::int64_t max_rank, InterruptPoll& interrupt,
                         RunSink& out, std::int64_t c_modulus = 1);

}  // namespace varnolt::tilt_stability::bounded_rank
