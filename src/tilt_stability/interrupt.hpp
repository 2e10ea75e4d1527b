#pragma once
// Lets a long search be interrupted without the core knowing who asks: the
// caller hands in a check, and the search calls tick() once per unit of work.
// The check runs only every `interval` ticks, so polling costs a counter
// decrement on the hot path.
#include <cstdint>
#include <exception>
#include <functional>

namespace varnolt::tilt_stability {

// Thrown by tick() when the check asks the search to stop. Everything the
// search built is freed as the exception unwinds.
class Interrupted : public std::exception {
public:
    const char* what() const noexcept override { return "search interrupted"; }
};

class InterruptPoll {
public:
    static constexpr std::int64_t interval = 1 << 14;

    InterruptPoll() = default;  // never interrupts
    explicit InterruptPoll(std::function<bool()> should_stop) : should_stop_(std::move(should_stop)) {}

    void tick() {
        if (--countdown_ <= 0) poll();
    }

private:
    void poll() {
        countdown_ = interval;
        if (should_stop_ && should_stop_()) throw Interrupted{};
    }

    std::function<bool()> should_stop_;
    std::int64_t countdown_ = interval;
};

}  // namespace varnolt::tilt_stability
