#pragma once
// A Ratio's neighbouring integers and its rational square root.
#include <cstdint>
#include <optional>

#include "ratio/ratio.hpp"

namespace varnolt::utils {

// The least integer strictly greater than x, floor(x) + 1. Raises
// ArithmeticOverflow for x = 2^63 - 1, whose successor does not fit.
std::int64_t least_greater_int(const ratio::Ratio& x);

// The greatest integer not greater than x, floor(x).
std::int64_t greatest_lesser_or_eq_int(const ratio::Ratio& x);

// A Ratio whose square is x, or nothing when x has no rational square root.
std::optional<ratio::Ratio> checked_sqrt(const ratio::Ratio& x);

}  // namespace varnolt::utils
