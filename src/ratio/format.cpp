#include "ratio/format.hpp"

#include <cstdint>

namespace varnolt::ratio {

namespace {

std::string magnitude_digits(std::int64_t value) {
    // Through unsigned so that -2^63 is written in full.
    const std::uint64_t magnitude =
        value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    return std::to_string(magnitude);
}

}  // namespace

std::string fmt(const Ratio& x) {
    std::string text = x.numer < 0 ? "-" : "";
    text += magnitude_digits(x.numer);
    if (x.denom != 1) {
        // Appended piece by piece: g++ 12 mistakes "/" + std::to_string(...)
        // for an overlapping copy (-Wrestrict) in optimised builds.
        text += '/';
        text += std::to_string(x.denom);
    }
    return text;
}

}  // namespace varnolt::ratio
