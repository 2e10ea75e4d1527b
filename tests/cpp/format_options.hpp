#pragma once
// A Ratio laid out as the digits of an integer would be: width, fill,
// alignment, sign and sign-aware zero fill applied to ratio::fmt's text.
#include <cstddef>
#include <string>

#include "ratio/format.hpp"

namespace varnolt::test {

enum class Align { Default, Left, Center, Right };

struct FormatOptions {
    std::string fill = " ";  // one character, UTF-8
    Align align = Align::Default;  // numbers align right by default
    bool plus = false;       // "+" before values that are not negative
    bool alternate = false;  // accepted; changes nothing for a Ratio
    bool zero_pad = false;   // sign first, then zeros up to the width
    std::size_t width = 0;   // in characters
};

inline std::string repeat(const std::string& piece, std::size_t count) {
    std::string out;
    for (std::size_t i = 0; i < count; ++i) out += piece;
    return out;
}

inline std::string fmt(const ratio::Ratio& x, const FormatOptions& options) {
    std::string body = ratio::fmt(x);
    if (x.numer < 0) body.erase(0, 1);
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

}  // namespace varnolt::test
