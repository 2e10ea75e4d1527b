#include "varnolt_walls/grouping/wall_key.hpp"

#include <algorithm>
#include <bit>
#include <limits>
#include <utility>

#include "primitives/checked.hpp"

namespace varnolt::walls::grouping {

namespace {

using primitives::uwide;

constexpr uwide max_u64 = std::numeric_limits<std::uint64_t>::max();

int countr_zero(uwide x) {
    const auto low = static_cast<std::uint64_t>(x);
    return low != 0 ? std::countr_zero(low) : 64 + std::countr_zero(static_cast<std::uint64_t>(x >> 64));
}

// Binary gcd (shifts and subtractions), in 64 bits when both fit. One
// division first brings the larger value below the smaller: the values here
// are often of very different sizes (a numerator against a small 4e²).
template <typename Unsigned>
Unsigned binary_gcd(Unsigned a, Unsigned b) {
    if (a < b) std::swap(a, b);
    if (b == 0) return a;
    a %= b;
    if (a == 0) return b;
    const int shift = countr_zero(a | b);
    a >>= countr_zero(a);
    do {
        // min and max rather than a swap: no branch to mispredict.
        b >>= countr_zero(b);
        const Unsigned smaller = std::min(a, b);
        b = std::max(a, b) - smaller;
        a = smaller;
    } while (b != 0);
    return a << shift;
}

uwide gcd(uwide a, uwide b) {
    if (a <= max_u64 && b <= max_u64)
        return binary_gcd(static_cast<std::uint64_t>(a), static_cast<std::uint64_t>(b));
    return binary_gcd(a, b);
}

uwide magnitude(wide x) { return x < 0 ? uwide{0} - static_cast<uwide>(x) : static_cast<uwide>(x); }

// An exact quotient of magnitudes, in a 64-bit division when both fit (a
// 128-bit division costs several times more).
uwide divide(uwide x, uwide divisor) {
    if (x <= max_u64 && divisor <= max_u64)
        return static_cast<std::uint64_t>(x) / static_cast<std::uint64_t>(divisor);
    return x / divisor;
}

// The fraction of two 64-bit values in lowest terms, denom > 0, in 64-bit
// arithmetic: the usual case, several times cheaper than 128-bit steps.
// −INT64_MIN is kept out by the caller.
Fraction128 lowest_terms_64(std::int64_t numer, std::int64_t denom) {
    const std::uint64_t n = numer < 0 ? 0 - static_cast<std::uint64_t>(numer) : static_cast<std::uint64_t>(numer);
    const std::uint64_t g = binary_gcd(n, static_cast<std::uint64_t>(denom));
    const auto reduced = static_cast<std::int64_t>(n / g);
    return {numer < 0 ? -reduced : reduced, static_cast<std::int64_t>(static_cast<std::uint64_t>(denom) / g)};
}

bool fits_64(wide x) {
    return x > std::numeric_limits<std::int64_t>::min() && x <= std::numeric_limits<std::int64_t>::max();
}

// numer/denom in lowest terms, denom > 0.
Fraction128 lowest_terms(wide numer, wide denom) {
    if (fits_64(numer) && fits_64(denom))
        return lowest_terms_64(static_cast<std::int64_t>(numer), static_cast<std::int64_t>(denom));
    const uwide g = gcd(magnitude(numer), static_cast<uwide>(denom));
    const auto n = static_cast<wide>(divide(magnitude(numer), g));
    return {numer < 0 ? -n : n, static_cast<wide>(divide(static_cast<uwide>(denom), g))};
}

// |x| < 2^62 for each of a, e and b: then a² − 4e·b < 2^124 + 2^126 and
// 4e² < 2^126 fit without a check.
bool below_2_62(wide x) { return x > -(wide{1} << 62) && x < (wide{1} << 62); }

// x·y for x, y < 2^128, as 256 bits: high and low halves.
struct Product256 {
    uwide high;
    uwide low;

    friend auto operator<=>(const Product256&, const Product256&) = default;
};

Product256 multiply(uwide x, uwide y) {
    const auto x0 = static_cast<std::uint64_t>(x), x1 = static_cast<std::uint64_t>(x >> 64);
    const auto y0 = static_cast<std::uint64_t>(y), y1 = static_cast<std::uint64_t>(y >> 64);
    const uwide p00 = uwide{x0} * y0, p01 = uwide{x0} * y1, p10 = uwide{x1} * y0, p11 = uwide{x1} * y1;
    // Below 3·2^64: the sum of three values below 2^64.
    const uwide middle = (p00 >> 64) + static_cast<std::uint64_t>(p01) + static_cast<std::uint64_t>(p10);
    return {p11 + (p01 >> 64) + (p10 >> 64) + (middle >> 64),
            (middle << 64) | static_cast<std::uint64_t>(p00)};
}

int sign(wide x) { return (x > 0) - (x < 0); }

}  // namespace

namespace {

// |x| < 2^30 for every value of v and u: then each of a, e, b is below 2^61,
// 4e below 2^63, and n = a² − 4e·b below 2^122 + 2^124, all without a check.
bool below_2_30(const Row& row) {
    constexpr std::int64_t limit = std::int64_t{1} << 30;
    return row[0] > -limit && row[0] < limit && row[1] > -limit && row[1] < limit && row[2] > -limit && row[2] < limit;
}

std::optional<RawWall> small_raw_wall(const Row& v, const Row& u) {
    const auto [big_r, big_c, big_d] = v;
    const auto [r, c, d] = u;
    const std::int64_t a = big_r * d - r * big_d, e = big_r * c - r * big_c, b = d * big_c - big_d * c;
    if (e == 0) return std::nullopt;
    const wide n = wide{a} * a - wide{4 * e} * b;
    return e > 0 ? RawWall{a, e, n} : RawWall{-a, -e, n};
}

}  // namespace

std::optional<RawWall> raw_wall(const Row& v, const Row& u) {
    if (below_2_30(v) && below_2_30(u)) return small_raw_wall(v, u);
    const auto [big_r, big_c, big_d] = v;
    const auto [r, c, d] = u;
    try {
        // Each product of two 64-bit values fits in 127 bits; only their
        // differences may leave 128 bits.
        const wide a = primitives::checked_sub<wide>(wide{big_r} * d, wide{r} * big_d);
        const wide e = primitives::checked_sub<wide>(wide{big_r} * c, wide{r} * big_c);
        const wide b = primitives::checked_sub<wide>(wide{d} * big_c, wide{big_d} * c);
        if (e == 0) return std::nullopt;
        wide n;
        if (below_2_62(a) && below_2_62(e) && below_2_62(b)) {
            n = a * a - 4 * e * b;
        } else {
            const wide four_e = primitives::checked_mul<wide>(4, e);
            primitives::checked_mul<wide>(four_e, e);  // 4e² must fit, for radius_squared()
            n = primitives::checked_sub<wide>(primitives::checked_mul<wide>(a, a), primitives::checked_mul<wide>(four_e, b));
        }
        // n/(4e²) does not change with the sign of e; a/(2e) keeps its value
        // when both signs flip, and |a|, |e| < 2^127 (differences of values in
        // [−2^126, 2^126]) so that they can.
        return e > 0 ? RawWall{a, e, n} : RawWall{-a, -e, n};
    } catch (const primitives::ArithmeticOverflow&) {
        return std::nullopt;
    }
}

// The gcd g of a and 2e mostly settles that of n and 4e² without a second
// gcd. A prime p of 4e² divides 2e; if p does not divide a, then p does not
// divide n = a² − 2·(2e)·b ≡ a² (mod p). So for g = 1, n/(4e²) is in lowest
// terms already. For g = 2, with a = 2a', e = e' and gcd(a', e) = 1,
// n = 4·(a'² − e·b) and 4e² = 4·e², and no prime of e divides a'² − e·b:
// (n/4)/e² is in lowest terms. Other g (a tenth of the walls of a large
// search) take the second gcd.
WallKey lowest_terms(const RawWall& wall) {
    const Fraction128 center = wall.center(), radius_squared = wall.radius_squared();
    const Fraction128 reduced_center = lowest_terms(center.numer, center.denom);
    if (reduced_center.denom == center.denom) return {center, radius_squared};
    if (reduced_center.denom * 2 == center.denom) return {reduced_center, {radius_squared.numer / 4, wall.e * wall.e}};
    return {reduced_center, lowest_terms(radius_squared.numer, radius_squared.denom)};
}

// With positive denominators, x < y exactly when x.numer·y.denom <
// y.numer·x.denom. Equal signs of the numerators leave the comparison of the
// magnitudes' cross products, each below 2^255; in 128 bits when the four
// values fit in 64.
int compare(const Fraction128& x, const Fraction128& y) {
    const int sx = sign(x.numer), sy = sign(y.numer);
    if (sx != sy || sx == 0) return sx < sy ? -1 : sx > sy ? 1 : 0;
    const uwide xn = magnitude(x.numer), yn = magnitude(y.numer);
    const auto xd = static_cast<uwide>(x.denom), yd = static_cast<uwide>(y.denom);
    int order;
    if (xn <= max_u64 && yn <= max_u64 && xd <= max_u64 && yd <= max_u64) {
        const uwide left = xn * yd, right = yn * xd;
        order = (left > right) - (left < right);
    } else {
        const Product256 left = multiply(xn, yd), right = multiply(yn, xd);
        order = (left > right) - (left < right);
    }
    return sx > 0 ? order : -order;
}

namespace {

// x rounded to a double, by the 64-bit conversion when x fits (the 128-bit
// one is a library call).
double rounded(wide x) {
    return fits_64(x) ? static_cast<double>(static_cast<std::int64_t>(x)) : static_cast<double>(x);
}

}  // namespace

double approximate(const Fraction128& x) { return rounded(x.numer) / rounded(x.denom); }

}  // namespace varnolt::walls::grouping
