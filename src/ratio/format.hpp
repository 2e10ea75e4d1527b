#pragma once
// Decimal display of a Ratio: the numerator alone when the denominator is 1,
// otherwise "numer/denom". Width, fill, alignment, sign and sign-aware zero fill
// apply to the whole text, laid out as the digits of an integer would be.
#include <cstddef>
#include <ostream>
#include <string>

#include "ratio/ratio.hpp"

namespace varnolt::ratio {

enum class Align { Default, Left, Center, Right };

struct FormatOptions {
    std::string fill = " ";  // one character, UTF-8
    Align align = Align::Default;  // numbers align right by default
    bool plus = false;       // "+" before values that are not negative
    bool alternate = false;  // accepted; changes nothing for a Ratio
    bool zero_pad = false;   // sign first, then zeros up to the width
    std::size_t width = 0;   // in characters
};

std::string fmt(const Ratio& x, const FormatOptions& options = {});

inline std::ostream& operator<<(std::ostream& out, const Ratio& x) { return out << fmt(x); }

}  // namespace varnolt::ratio
