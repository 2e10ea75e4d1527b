#pragma once
// The calls into the core, one small function per entry point of the native
// module. Each runs the search with the interpreter lock released and Ctrl-C
// polled (see released_lock.hpp); call them with the lock held.
#include <cstdint>
#include <optional>

#include "chern_character/chern_character.hpp"
#include "python.hpp"
#include "tilt_stability/left_pseudo_semistabilizers/search_data.hpp"
#include "tilt_stability/surface/surface.hpp"
#include "utils/message.hpp"
#include "varnolt_walls/grouping/group_walls.hpp"

namespace varnolt::walls {

using chern_character::ChernChar;
using tilt_stability::left_pseudo_semistabilizers::CandidateRuns;
using utils::Outcome;

// A search: the candidates of v on the lattice of surface, of rank at most
// max_rank when it is given (it must be, for an irrational β₋). progress, when not null, is a borrowed
// callable that the search calls now and then with (done, total), see
// SignalCheck.
struct SearchRequest {
    ChernChar<2> v;
    std::optional<std::int64_t> max_rank;
    PyObject* progress = nullptr;
    tilt_stability::surface::Surface surface = tilt_stability::surface::Surface::half_integral_ch2;
};

// The candidates in the search's order, held as the core's runs. Throws
// PythonErrorSet with MemoryError when their rows would not fit in the memory
// this process can still use.
Outcome<CandidateRuns> candidate_runs(const SearchRequest& request);

// The number of candidates, counted in constant memory.
Outcome<utils::uwide> candidate_count(const SearchRequest& request);

// Candidates gathered by wall: grouped when every wall key fits in 128 bits,
// otherwise left in the order they came in for an exact grouping in Python.
struct FoundWalls {
    std::vector<grouping::Row> rows;            // in the order found
    std::optional<grouping::WallOrder> order;  // their walls' order, when the keys fit
};

// The walls of the request's candidates. The search runs under a memory budget
// that counts everything the grouping will hold, so a result that cannot fit
// is refused (MemoryError with the figures) before it is built.
Outcome<FoundWalls> candidate_walls(const SearchRequest& request);

// The walls of the given rows of request.v (no search; max_rank unused).
// MemoryError, as for candidate_walls, when their grouping would not fit.
FoundWalls walls_of_rows(const SearchRequest& request, std::vector<grouping::Row> rows);

}  // namespace varnolt::walls
