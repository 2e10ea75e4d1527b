#include "tilt_stability/candidates/candidates.hpp"

#include <algorithm>

#include "primitives/stop.hpp"

namespace varnolt::tilt_stability {

CandidateRun::CandidateRun(std::int64_t r, std::int64_t c, std::int64_t d_first, std::int64_t d_last,
                           std::int64_t d_step)
    : r(r), c(c), d_first(d_first), d_last(d_last), d_step(d_step) {
    if (d_step >= 0 && d_first > d_last) primitives::stop("empty candidate run: d_first > d_last");
    if (d_step < 0 && d_first < d_last) primitives::stop("empty candidate run: d_first < d_last with d_step < 0");
    if (d_step == 0 || (d_step != 1 && span() % step_size() != 0))
        primitives::stop("candidate run: d_step must be nonzero and divide d_last - d_first");
}

void CandidateRuns::append(const CandidateRun& run) {
    const uwide count = run.count();
    if (count > static_cast<uwide>(SIZE_MAX - size_)) primitives::stop("capacity overflow");
    // size_ + count fits a size here.
    const std::size_t total = size_ + static_cast<std::size_t>(count);
    if (!limit_.allows(total)) throw CandidateLimitReached(total);
    runs_.push_back(run);
    size_ = total;
}

void CandidateRuns::order_by(const RunOrder& before) {
    // The runs' fields are const, so the deque is rebuilt in the new order
    // rather than sorted in place.
    std::vector<const CandidateRun*> order;
    order.reserve(runs_.size());
    for (const CandidateRun& run : runs_) order.push_back(&run);
    std::stable_sort(order.begin(), order.end(),
                     [&](const CandidateRun* x, const CandidateRun* y) { return before(*x, *y); });
    std::deque<CandidateRun> ordered;
    for (const CandidateRun* run : order) ordered.push_back(*run);
    runs_.swap(ordered);
}

Candidates CandidateRuns::expanded() const {
    Candidates all;
    if (size_ > all.max_size()) primitives::stop("capacity overflow");
    all.reserve(size_);
    for (const CandidateRun& run : runs_)
        for_each_d(run, [&](std::int64_t d) { all.push_back({run.r, {run.c}, {d}}); });
    return all;
}

}  // namespace varnolt::tilt_stability
