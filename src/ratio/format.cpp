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

std::string repeat(const std::string& piece, std::size_t count) {
    std::string out;
    out.reserve(piece.size() * count);
    for (std::size_t i = 0; i < count; ++i) out += piece;
    return out;
}

}  // namespace

std::string fmt(const Ratio& x, const FormatOptions& options) {
    std::string body = magnitude_digits(x.numer);
    if (x.denom != 1) {
        // Appended piece by piece: g++ 12 mistakes "/" + std::to_string(...)
        // for an overlapping copy (-Wrestrict) in optimised builds.
        body += '/';
        body += std::to_string(x.denom);
    }
    const std::string sign = x.numer < 0 ? "-" : options.plus ? "+" : "";

    const std::size_t length = sign.size() + body.size();  // ASCII only
    if (length >= options.width) return sign + body;
    const std::size_t padding = options.width - length;

    if (options.zero_pad) return sign + std::string(padding, '0') + body;
    std::size_t before = padding;  // right alignment
    if (options.align == Align::Left) before = 0;
    if (options.align == Align::Center) before = padding / 2;
    return repeat(options.fill, before) + sign + body + repeat(options.fill, padding - before);
}

}  // namespace varnolt::ratio
