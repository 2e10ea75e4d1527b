#pragma once
// The calls into the core, one small function per entry point of the native
// module. Each runs the search with the interpreter lock released and Ctrl-C
// polled (see released_lock.hpp); call them with the lock held.
#include "chern_character/chern_character.hpp"
#include "tilt_stability/left_pseudo_semistabilizers/search_data.hpp"
#include "utils/message.hpp"

namespace varnolt::walls {

using chern_character::ChernChar;
using tilt_stability::left_pseudo_semistabilizers::CandidateRuns;
using utils::Outcome;

// The candidates of v in the search's order, held as the core's runs. Throws
// PythonErrorSet with MemoryError when their rows would not fit in the memory
// this process can still use.
Outcome<CandidateRuns> candidate_runs(const ChernChar<2>& v);

// The number of candidates of v, counted in constant memory.
Outcome<unsigned __int128> candidate_count(const ChernChar<2>& v);

}  // namespace varnolt::walls
