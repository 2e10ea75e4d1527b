#pragma once
// The numerical wall of a class u against v, exact for every pair of rows of
// 64-bit values.
//
// For v = (R, C, D/2) and u = (r, c, d/2) (ch2 = d/2 on both sides), with
//   a = R·d − r·D,  e = R·c − r·C,  b = d·C − D·c,
// ν_{β,α}(u) = ν_{β,α}(v) is the semicircle (β − x)² + α² = ρ² with centre
// x = a/(2e) and radius² ρ² = n/(4e²), n = a² − 4e·b; for e = 0 (u on the
// line of v through the origin of the (r, c, d) space) there is none.
//
// Each product of two 64-bit values is below 2^126 in magnitude, so |a|, |e|,
// |b| <= 2^127: 129 signed bits at the extreme, n below 2^256 + 2^257. The
// walls are therefore held in two widths: in 128-bit integers when the terms
// fit (every wall of a search of realistic size; a few products and no
// division), and in integers of any size otherwise.
#include <array>
#include <cstdint>
#include <exception>
#include <optional>
#include <variant>

#include "ratio/ratio.hpp"
#include "utils/big_int.hpp"
#include "primitives/int128.hpp"

namespace varnolt::tilt_stability::walls {

using ratio::BasicRatio;
using utils::BigInt;
using primitives::wide;

// A Chern character (r, c, d) with ch2 = d/2, as the search hands it over.
using Row = std::array<std::int64_t, 3>;

// The terms a, e > 0 and n of a wall (the signs of a and e flipped together
// when e < 0: the centre keeps its value, n does not change). The centre and
// radius² are fractions with positive denominators, not yet in lowest terms.
template <typename T>
struct WallTerms {
    T a;
    T e;
    T n;

    BasicRatio<T> center() const { return {a, 2 * e}; }
    BasicRatio<T> radius_squared() const { return {n, 4 * e * e}; }
};

// In 128 bits: 2e and 4e² fit as well (see raw_wall).
using RawWall = WallTerms<wide>;
using WideWall = WallTerms<BigInt>;

// Centre and radius² in lowest terms, so that equal walls have equal fields.
template <typename T>
struct WallKey {
    BasicRatio<T> center;
    BasicRatio<T> radius_squared;

    friend bool operator==(const WallKey&, const WallKey&) = default;
};

// u gives no wall against v (e = 0).
class NoWall : public std::exception {
public:
    const char* what() const noexcept override { return "the two classes give no wall (R·c − r·C = 0)"; }
};

// The wall of u against v in 128 bits; nothing when one of its values leaves
// that range, or when e = 0. Never rounds.
std::optional<RawWall> raw_wall(const Row& v, const Row& u);
// The same in integers of any size: for every pair with e ≠ 0; throws NoWall
// for e = 0.
WideWall wide_wall(const Row& v, const Row& u);

// The wall of u against v in the narrower width that holds it; throws NoWall
// for e = 0.
using ExactWall = std::variant<RawWall, WideWall>;
ExactWall exact_wall(const Row& v, const Row& u);

// The key of a wall: one gcd for the centre, a second only where the first
// leaves the radius² undecided.
WallKey<wide> lowest_terms(const RawWall& wall);
WallKey<BigInt> lowest_terms(const WideWall& wall);
using ExactKey = std::variant<WallKey<wide>, WallKey<BigInt>>;
ExactKey lowest_terms(const ExactWall& wall);

// The order of two walls: larger radius² first, then smaller centre; equal
// exactly for the same wall. Exact in each width, and across them.
std::strong_ordering wall_order(const ExactWall& x, const ExactWall& y);

// The radius² as fl(n) / fl(4e²): within a relative 2^-50 of its exact
// value, and of its sign.
double approximate_radius_squared(const RawWall& wall);
double approximate_radius_squared(const WideWall& wall);

}  // namespace varnolt::tilt_stability::walls
