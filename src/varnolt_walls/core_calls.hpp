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

}  // namespace varnolt::walls
