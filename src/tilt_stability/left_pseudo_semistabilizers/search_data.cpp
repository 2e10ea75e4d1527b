#include "tilt_stability/left_pseudo_semistabilizers/search_data.hpp"

#include "utils/stop.hpp"

namespace varnolt::tilt_stability::left_pseudo_semistabilizers {

void CandidateRuns::append(const CandidateRun& run) {
    // d_last - d_first + 1 can reach 2^64, one beyond the largest size.
    const unsigned __int128 count =
        static_cast<unsigned __int128>(static_cast<__int128>(run.d_last) - run.d_first + 1);
    if (count > static_cast<unsigned __int128>(SIZE_MAX - size_)) utils::stop("capacity overflow");
    runs_.push_back(run);
    size_ += static_cast<std::size_t>(count);
}

Candidates CandidateRuns::expanded() const {
    Candidates all;
    all.reserve(size_);
    for (const CandidateRun& run : runs_) {
        for (std::int64_t d = run.d_first;; ++d) {
            all.push_back({run.r, {run.c}, {d}});
            if (d == run.d_last) break;
        }
    }
    return all;
}

}  // namespace varnolt::tilt_stability::left_pseudo_semistabilizers
