#pragma once
// What a search finds and where it puts it, shared by both searches (the
// rational one and the walk by q), their boundaries and the memory budget:
// runs of candidates of one rank, the sink the stages hand them to, and the
// two sinks there are (every run held, or only their count).
#include <bit>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <limits>
#include <utility>
#include <vector>

#include "chern_character/chern_character.hpp"
#include "primitives/int128.hpp"

namespace varnolt::tilt_stability {

using chern_character::ChernChar;
using primitives::uwide;
using primitives::wide;

// The candidates a search stage found, in the search's order.
using Candidates = std::vector<ChernChar<2>>;

// The candidates of one rank: (r, c, d) for d = d_first, d_first + d_step, …,
// d_last. The stages make runs of step 1; a lattice that admits only every
// other ch2 (see surface/surface.hpp) makes runs of step 2, and the mirror of
// right walls (side/mirrored_runs.hpp) runs of negative step, whose d fall.
// Invariant: d_step ≠ 0, d_last − d_first is 0 or of the sign of d_step, and
// d_step divides it, so a run is never empty and ends on d_last. The
// constructor stops the call when a stage tries to make a run that breaks it,
// and the fields are const so that nothing can break it later.
struct CandidateRun {
    CandidateRun(std::int64_t r, std::int64_t c, std::int64_t d_first, std::int64_t d_last,
                 std::int64_t d_step = 1);

    // |d_last − d_first|, exact in 64 unsigned bits (it lies in [0, 2^64)).
    std::uint64_t span() const {
        const auto first = static_cast<std::uint64_t>(d_first);
        const auto last = static_cast<std::uint64_t>(d_last);
        return d_step > 0 ? last - first : first - last;
    }

    // |d_step| in 64 unsigned bits.
    std::uint64_t step_size() const {
        return d_step > 0 ? static_cast<std::uint64_t>(d_step) : 0 - static_cast<std::uint64_t>(d_step);
    }

    // span/|d_step| + 1, from 1 up to 2^64 (one beyond any 64-bit size);
    // a shift for a step that is a power of two, else one 64-bit division.
    uwide count() const {
        const std::uint64_t step = step_size();
        const std::uint64_t steps = (step & (step - 1)) == 0 ? span() >> std::countr_zero(step) : span() / step;
        return uwide{steps} + 1;
    }

    const std::int64_t r;
    const std::int64_t c;
    const std::int64_t d_first;
    const std::int64_t d_last;
    const std::int64_t d_step;
};

// Calls each(d) for every d of the run, in the run's order. Loops to d_last
// inclusive without ever computing a d beyond it, which may not exist.
template <typename Each>
void for_each_d(const CandidateRun& run, Each&& each) {
    for (std::int64_t d = run.d_first;; d += run.d_step) {
        each(d);
        if (d == run.d_last) return;
    }
}

// The order of runs as a strict weak order: whether x comes before y.
using RunOrder = std::function<bool(const CandidateRun& x, const CandidateRun& y)>;

// Where the stages put what they find: one run at a time, in the search's
// order, or, for the search bounded by rank, rank by rank and then one call of
// order_by that gives the search's order.
class RunSink {
public:
    virtual void append(const CandidateRun& run) = 0;
    // Puts the runs held so far into the order of before (stable). Sinks whose
    // result does not depend on the order ignore it.
    virtual void order_by(const RunOrder& before) { static_cast<void>(before); }

protected:
    ~RunSink() = default;
};

// Thrown by CandidateRuns when holding another run would take it past its
// candidate limit. Everything the search held is freed as it unwinds.
class CandidateLimitReached : public std::exception {
public:
    explicit CandidateLimitReached(std::size_t found) : found_(found) {}
    const char* what() const noexcept override { return "candidate limit reached"; }
    // The candidates found when the search stopped, the run that crossed the
    // limit included: more than the limit.
    std::size_t found() const noexcept { return found_; }

private:
    std::size_t found_;
};

// How many candidates a search may hold: a count that the caller decides.
// Working the limit out may cost more than a small search (the caller may have
// to read several files), so it can also be given lazily: a first count up to
// which no limit applies, and a function that gives the real limit when the
// count first passes that first count; or a limit raised in steps, whose
// function is asked again each time the count passes the limit it gave last.
class CandidateLimit {
public:
    static constexpr std::size_t none = std::numeric_limits<std::size_t>::max();
    // Given the count that passed the limit, the new limit: the count or more
    // to let the search go on, less to stop it.
    using Raise = std::function<std::size_t(std::size_t count)>;

    CandidateLimit(std::size_t limit = none) : current_(limit) {}  // fixed
    // The real limit asked once, by the first count that passes unchecked_up_to.
    CandidateLimit(std::size_t unchecked_up_to, std::function<std::size_t()> real_limit)
        : current_(unchecked_up_to), raise_([real = std::move(real_limit)](std::size_t) { return real(); }),
          asked_once_(true) {}
    // Raised in steps: raise is asked by every count that passes the limit.
    CandidateLimit(std::size_t unchecked_up_to, Raise raise)
        : current_(unchecked_up_to), raise_(std::move(raise)) {}

    // Whether the search may hold count candidates: one comparison, unless
    // count passes the current limit.
    bool allows(std::size_t count) {
        if (count <= current_) return true;
        if (!raise_) return false;
        current_ = raise_(count);
        if (asked_once_) raise_ = nullptr;
        return count <= current_;
    }

private:
    std::size_t current_;
    Raise raise_;
    bool asked_once_ = false;
};

// Candidates in the search's order, held as one run per rank: a rank often
// has many candidates, and a run costs the same whatever their number.
class CandidateRuns final : public RunSink {
public:
    // Holds at most as many candidates as limit allows; see append.
    explicit CandidateRuns(CandidateLimit limit = {}) : limit_(std::move(limit)) {}

    // Stops with "capacity overflow" when the count no longer fits a size, and
    // throws CandidateLimitReached when the limit does not allow it.
    void append(const CandidateRun& run) override;
    // Holds, while it sorts, a pointer and a copy of each run besides them.
    void order_by(const RunOrder& before) override;

    std::size_t size() const { return size_; }  // candidates, not runs
    const std::deque<CandidateRun>& runs() const { return runs_; }

    // One ChernChar<2> per candidate, in order. Stops with "capacity overflow"
    // when the count exceeds what a vector can hold; an allocation that fails
    // throws std::bad_alloc.
    Candidates expanded() const;

private:
    // A deque grows without moving what it holds: no pause to copy a large
    // buffer, so the search keeps answering interruptions promptly.
    std::deque<CandidateRun> runs_;
    std::size_t size_ = 0;
    CandidateLimit limit_;
};

// Only the number of candidates: constant memory whatever the search finds.
// 128 bits hold the exact count: every run adds at most 2^64, and 2^64 runs
// cannot be visited.
class CandidateCount final : public RunSink {
public:
    void append(const CandidateRun& run) override { total_ += run.count(); }
    uwide total() const { return total_; }

private:
    uwide total_ = 0;
};

}  // namespace varnolt::tilt_stability
