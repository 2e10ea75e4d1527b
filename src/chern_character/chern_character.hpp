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

// c² − r·d: half the Bogomolov form 2c² − 2r·d of (r, c·ℓ, (d/2)·ℓ²) scaled by
// the ch2 denominator, and the discriminant whose root gives β₋. Exact in 128
// bits: c² <= 2^126 and −r·d <= 2^126 − 2^63, so it lies in [−2^126, 2^127).
inline primitives::wide discriminant(const ChernChar<2>& v) {
    return static_cast<primitives::wide>(v.c.coeff) * v.c.coeff - static_cast<primitives::wide>(v.r) * v.d.numerator;
}

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
