#pragma once
// Decimal display of a Ratio: the numerator alone when the denominator is 1,
// otherwise "numer/denom".
#include <ostream>
#include <string>

#include "ratio/ratio.hpp"

namespace varnolt::ratio {

// "3", "-3/4"; -2^63 is written in full.
std::string fmt(const Ratio& x);

inline std::ostream& operator<<(std::ostream& out, const Ratio& x) { return out << fmt(x); }

}  // namespace varnolt::ratio
