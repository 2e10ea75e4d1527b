#pragma once
// Exact real numbers a + b·√D with integer parts a, b and a radicand D >= 0.
// β₋ = (c − √Δ)/r and everything the bounded search derives from it are such
// numbers once scaled by an integer denominator, so the search decides every
// comparison and rounding on them exactly, with no floating point.
//
// Invariant: radicand >= 0. D need not be square-free, nor even a non-square:
// with D a perfect square every operation is still exact. Values combined by
// one operation share their radicand (an internal stop otherwise).
//
// Overflow: sums, differences and products raise primitives::ArithmeticOverflow
// when a part leaves the signed 128-bit range; sign, comparison and the
// roundings raise it when they cannot decide within 128 bits (stated below).
// No operation ever returns a wrapped or rounded value.
#include <compare>
#include <cstdint>

#include "primitives/int128.hpp"

namespace varnolt::quadratic {

using primitives::wide;

struct Surd {
    wide a = 0;
    wide b = 0;
    std::int64_t radicand = 0;
};

Surd operator+(const Surd& x, const Surd& y);
Surd operator-(const Surd& x, const Surd& y);
Surd operator-(const Surd& x);
Surd operator*(const Surd& x, const Surd& y);  // (a·a' + b·b'·D) + (a·b' + a'·b)·√D
Surd operator*(const Surd& x, wide k);

// -1, 0 or 1. When a and b differ in sign it compares a² with b²·D, which
// raises ArithmeticOverflow only when both exceed 2^128 − 1 (one alone
// settles it).
int sign(const Surd& x);

// The order of the real values: sign(x − y).
std::strong_ordering operator<=>(const Surd& x, const Surd& y);
bool operator==(const Surd& x, const Surd& y);

// floor(x / den) and ceil(x / den) for den > 0. They need floor(|b|·√D), so
// they raise ArithmeticOverflow when b²·D exceeds 2^128 − 1.
wide floor_div(const Surd& x, wide den);
wide ceil_div(const Surd& x, wide den);

}  // namespace varnolt::quadratic
