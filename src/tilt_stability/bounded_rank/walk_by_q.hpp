#pragma once
// The candidates of ranks 1 ... max_rank in the search's order: by q as a real
// number, then by rank, then by ch2.
#include "tilt_stability/bounded_rank/search_data.hpp"

namespace varnolt::tilt_stability::bounded_rank {

// Appends the runs to out, one per (rank, c) that has candidates, rank by
// rank, then puts them in the search's order (out.order_by). Reports its
// progress as ranks of max_rank. The twisted ch1 S of v must be positive.
// Raises ArithmeticOverflow and Interrupted as append_bounded_runs does.
void append_runs_by_q(const BoundedSearchData& search, RunSink& out);

}  // namespace varnolt::tilt_stability::bounded_rank
