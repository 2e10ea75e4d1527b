#pragma once
// The calls into the core's one search entry, one small function per entry
// point of the native module. Each runs the search with the interpreter lock
// released and Ctrl-C polled (see released_lock.hpp); call them with the lock
// held.
#include "memory/reservation.hpp"
#include "boundary/python.hpp"
#include "tilt_stability/search.hpp"
#include "tilt_stability/walls/group_walls.hpp"

namespace varnolt::walls {

using chern_character::ChernChar;
namespace grouping = tilt_stability::walls;
using tilt_stability::CandidateRuns;
using tilt_stability::SearchResult;

// A search and how to watch it: progress, when not null, is a borrowed
// callable that the search calls now and then with (done, total), see
// SignalCheck.
struct SearchCall {
    tilt_stability::SearchRequest search;
    PyObject* progress = nullptr;
};

// The calls that hold a result take the caller's memory reservation: its
// share of what the process can still allocate, shared with the searches in
// other threads (memory/reservation.hpp). It is raised as the search finds
// more, lowered to what the result needs when the search ends, and should be
// held until the result is built.

// The candidates in the search's order, held as the core's runs. Throws
// PythonErrorSet with MemoryError (and its figures) when their runs and rows
// would not fit in the memory this process can still use.
SearchResult<CandidateRuns> candidate_runs(const SearchCall& call, memory::Reservation& reservation);

// The number of candidates, counted in constant memory.
SearchResult<primitives::uwide> candidate_count(const SearchCall& call);

// Candidates gathered by wall.
struct FoundWalls {
    std::vector<grouping::Row> rows;  // in the order found
    grouping::WallOrder order;        // their walls' order
};

// The walls of the request's candidates, against its lattice_v. The search runs under a memory budget
// that counts everything the grouping will hold, so a result that cannot fit
// is refused (MemoryError with the figures) before it is built.
SearchResult<FoundWalls> candidate_walls(const SearchCall& call, memory::Reservation& reservation);

// Raises the reservation to cover the grouping of `rows` given rows (their
// copy included); MemoryError, as for candidate_walls, when it would not fit.
void reserve_for_grouping(memory::Reservation& reservation, std::size_t rows);

// The walls of the given rows of call.search.v (no search; the rest of the
// request unused), once reserve_for_grouping has covered them.
FoundWalls walls_of_rows(const SearchCall& call, std::vector<grouping::Row> rows);

}  // namespace varnolt::walls
