#pragma once
// The numerical wall of a candidate u against v, held exactly. Per candidate
// the grouping keeps it unreduced (RawWall: a few products, no division), and
// per wall in lowest terms (WallKey: fractions of 128-bit integers).
#include <array>
#include <cstdint>
#include <optional>

#include "primitives/int128.hpp"

namespace varnolt::walls::grouping {

using primitives::wide;

// A Chern character (r, c, d) with ch2 = d/2, as the search hands it over.
using Row = std::array<std::int64_t, 3>;

// numer / denom, denom > 0.
struct Fraction128 {
    wide numer;
    wide denom;

    friend bool operator==(const Fraction128&, const Fraction128&) = default;
};

// Center and radius² in lowest terms, so equal walls have equal fields.
struct WallKey {
    Fraction128 center;
    Fraction128 radius_squared;

    friend bool operator==(const WallKey&, const WallKey&) = default;
};

// For v = (R, C, D/2) and u = (r, c, d/2), with a = R·d − r·D, e = R·c − r·C
// and b = d·C − D·c, the wall of u has center a/(2e) and radius²
// n/(4e²) for n = a² − 4e·b. Held with e > 0 (the signs of a and e flipped
// together otherwise); 2e and 4e² fit in 128 bits.
struct RawWall {
    wide a;
    wide e;
    wide n;

    Fraction128 center() const { return {a, 2 * e}; }
    Fraction128 radius_squared() const { return {n, 4 * e * e}; }
};

// The wall of u against v. Nothing when one of its values leaves the signed
// 128-bit range, or when e = 0 (u on the vertical wall, which no candidate
// is): the caller then takes an exact path of unbounded integers. Never
// rounds.
std::optional<RawWall> raw_wall(const Row& v, const Row& u);

// The same wall in lowest terms: a binary gcd (in 64 bits where the values
// fit), and a second only where the first leaves the radius² undecided.
WallKey lowest_terms(const RawWall& wall);

// The sign of x − y: -1, 0 or 1. Exact for every pair of fractions with
// denominators below 2^128 (the cross products take 256 bits).
int compare(const Fraction128& x, const Fraction128& y);

// x as fl(numer) / fl(denom): within three roundings (relative error below
// 2^-51) of the exact value, and of its sign.
double approximate(const Fraction128& x);

}  // namespace varnolt::walls::grouping
