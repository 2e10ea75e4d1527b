#pragma once
// Internal stops: a violated invariant ends the whole call at once. They travel
// as C++ exceptions and are turned into the module's PanicException at the
// Python boundary; nothing in the core catches them.
#include <cstdint>
#include <exception>
#include <source_location>
#include <string>

namespace varnolt::primitives {

class Stop : public std::exception {
public:
    Stop(std::string message, std::source_location where)
        : message_(std::move(message)), where_(where) {}
    const char* what() const noexcept override { return message_.c_str(); }
    const std::string& message() const noexcept { return message_; }
    const std::source_location& where() const noexcept { return where_; }

private:
    std::string message_;
    std::source_location where_;
};

[[noreturn]] void stop(std::string message,
                       std::source_location where = std::source_location::current());

// Integer division and remainder with the guards every division in the core
// goes through: a zero divisor and the one quotient (-2^63 / -1) that does not fit.
std::int64_t guarded_div(std::int64_t a, std::int64_t b,
                         std::source_location where = std::source_location::current());
std::int64_t guarded_rem(std::int64_t a, std::int64_t b,
                         std::source_location where = std::source_location::current());

}  // namespace varnolt::primitives
