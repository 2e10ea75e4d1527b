#pragma once
// Lets a long search be interrupted, and watched, without the core knowing who
// asks: the caller hands in a check, and the search calls tick() once per unit
// of work. The check runs only every `interval` ticks, so polling costs a
// counter decrement on the hot path. The search's outer loop also records how
// far it has come (report()), which the check is shown when it runs: two
// stores per step of that loop, so progress is free too.
#include <cstdint>
#include <exception>
#include <functional>
#include <utility>

namespace varnolt::tilt_stability {

// Thrown by tick() when the check asks the search to stop. Everything the
// search built is freed as the exception unwinds.
class Interrupted : public std::exception {
public:
    const char* what() const noexcept override { return "search interrupted"; }
};

// How far a search has come: `done` of the `total` steps of its outer loop
// (values of q for a rational β₋, ranks up to max_rank for the search bounded
// by rank); 0 <= done <= total. A search that has not started reads 0 of 0.
struct Progress {
    std::int64_t done = 0;
    std::int64_t total = 0;

    friend bool operator==(const Progress&, const Progress&) = default;
};

class InterruptPoll {
public:
    static constexpr std::int64_t interval = 1 << 14;

    InterruptPoll() = default;  // never interrupts
    // A check that asks whether to stop, shown the progress so far.
    explicit InterruptPoll(std::function<bool(const Progress&)> should_stop)
        : should_stop_(std::move(should_stop)) {}
    // A check that does not look at the progress.
    explicit InterruptPoll(std::function<bool()> should_stop)
        : should_stop_([stop = std::move(should_stop)](const Progress&) { return stop(); }) {}

    void tick() {
        if (--countdown_ <= 0) poll();
    }

    // Records that `done` of `total` steps are done; the check sees it at its
    // next run.
    void report(std::int64_t done, std::int64_t total) noexcept { progress_ = {done, total}; }
    const Progress& progress() const noexcept { return progress_; }

private:
    void poll() {
        countdown_ = interval;
        if (should_stop_ && should_stop_(progress_)) throw Interrupted{};
    }

    std::function<bool(const Progress&)> should_stop_;
    std::int64_t countdown_ = interval;
    Progress progress_;
};

}  // namespace varnolt::tilt_stability
