#include "primitives/stop.hpp"

#include <limits>

namespace varnolt::primitives {

void stop(std::string message, std::source_location where) {
    throw Stop(std::move(message), where);
}

std::int64_t guarded_div(std::int64_t a, std::int64_t b, std::source_location where) {
    if (b == 0) stop("attempt to divide by zero", where);
    if (b == -1 && a == std::numeric_limits<std::int64_t>::min())
        stop("attempt to divide with overflow", where);
    return a / b;
}

std::int64_t guarded_rem(std::int64_t a, std::int64_t b, std::source_location where) {
    if (b == 0) stop("attempt to calculate the remainder with a divisor of zero", where);
    if (b == -1 && a == std::numeric_limits<std::int64_t>::min())
        stop("attempt to calculate the remainder with overflow", where);
    return a % b;
}

}  // namespace varnolt::primitives
