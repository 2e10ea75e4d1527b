#pragma once
// A Chern character (r, c·ℓ, (d/N)·ℓ²) on a surface of Picard rank one. The
// system uses N = 2 throughout: Python sees the integer triple (r, c, d).
#include <cstdint>
#include <ostream>
#include <string>

#include "chern_character/terms/terms.hpp"

namespace varnolt::chern_character {

using terms::Chern1;
using terms::Chern2;

template <std::uint32_t N>
struct ChernChar {
    std::int64_t r;
    Chern1 c;
    Chern2<N> d;
    bool operator==(const ChernChar&) const = default;
};

// "(3, 2ℓ, -1/2ℓ²)".
template <std::uint32_t N>
std::string to_string(const ChernChar<N>& v) {
    std::string text = "(";
    text += std::to_string(v.r);
    text += ", ";
    text += terms::to_string(v.c);
    text += ", ";
    text += terms::to_string(v.d);
    text += ")";
    return text;
}

// Ignores the stream's width, fill and alignment, as the terms do.
template <std::uint32_t N>
std::ostream& operator<<(std::ostream& out, const ChernChar<N>& v) {
    return terms::write_unformatted(out, to_string(v));
}

}  // namespace varnolt::chern_character
