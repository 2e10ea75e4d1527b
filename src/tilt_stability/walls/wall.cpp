#include "tilt_stability/walls/wall.hpp"

#include <utility>

#include "primitives/checked.hpp"

namespace varnolt::tilt_stability::walls {

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

// |x| < 2^62 for each of a, e and b: then a² − 4e·b < 2^124 + 2^126 and
// 4e² < 2^126 fit without a check.
bool below_2_62(wide x) { return x > -(wide{1} << 62) && x < (wide{1} << 62); }

// The terms from a, e, b of any width, e ≠ 0.
template <typename T>
WallTerms<T> terms(T a, T e, const T& b) {
    T n = a * a - 4 * e * b;
    if (e < T{0}) return {-std::move(a), -std::move(e), std::move(n)};
    return {std::move(a), std::move(e), std::move(n)};
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
        if (below_2_62(a) && below_2_62(e) && below_2_62(b)) return terms(a, e, b);
        const wide four_e = primitives::checked_mul<wide>(4, e);
        primitives::checked_mul<wide>(four_e, e);  // 4e² must fit, for radius_squared()
        const wide n = primitives::checked_sub<wide>(primitives::checked_mul<wide>(a, a), primitives::checked_mul<wide>(four_e, b));
        // −a and −e fit: they are differences of values in [−2^126, 2^126].
        return e > 0 ? RawWall{a, e, n} : RawWall{-a, -e, n};
    } catch (const primitives::ArithmeticOverflow&) {
        return std::nullopt;
    }
}

WideWall wide_wall(const Row& v, const Row& u) {
    const auto [big_r, big_c, big_d] = v;
    const auto [r, c, d] = u;
    // Each product of two 64-bit values is exact in 128 bits.
    const auto product = [](std::int64_t x, std::int64_t y) { return BigInt(wide{x} * y); };
    BigInt e = product(big_r, c) - product(r, big_c);
    if (e.sign() == 0) throw NoWall{};
    return terms(product(big_r, d) - product(r, big_d), std::move(e), product(d, big_c) - product(big_d, c));
}

ExactWall exact_wall(const Row& v, const Row& u) {
    if (std::optional<RawWall> wall = raw_wall(v, u)) return *wall;
    return wide_wall(v, u);
}

namespace {

// The gcd g of a and 2e mostly settles that of n and 4e² without a second
// gcd. A prime p of 4e² divides 2e; if p does not divide a, then p does not
// divide n = a² − 2·(2e)·b ≡ a² (mod p). So for g = 1, n/(4e²) is in lowest
// terms already. For g = 2, with a = 2a', e = e' and gcd(a', e) = 1,
// n = 4·(a'² − e·b) and 4e² = 4·e², and no prime of e divides a'² − e·b:
// (n/4)/e² is in lowest terms. Other g (a tenth of the walls of a large
// search) take the second gcd.
template <typename T>
WallKey<T> key_of(const WallTerms<T>& wall) {
    BasicRatio<T> center = wall.center(), radius_squared = wall.radius_squared();
    const BasicRatio<T> reduced_center = BasicRatio<T>::new_(center.numer, center.denom);
    if (reduced_center.denom == center.denom) return {std::move(center), std::move(radius_squared)};
    if (reduced_center.denom * 2 == center.denom) return {reduced_center, {radius_squared.numer / 4, wall.e * wall.e}};
    radius_squared.reduce();
    return {reduced_center, std::move(radius_squared)};
}

}  // namespace

WallKey<wide> lowest_terms(const RawWall& wall) { return key_of(wall); }
WallKey<BigInt> lowest_terms(const WideWall& wall) { return key_of(wall); }

ExactKey lowest_terms(const ExactWall& wall) {
    return std::visit([](const auto& terms) -> ExactKey { return lowest_terms(terms); }, wall);
}

namespace {

WideWall widened(const RawWall& wall) { return {wall.a, wall.e, wall.n}; }
const WideWall& widened(const WideWall& wall) { return wall; }

template <typename T>
std::strong_ordering order_of(const WallTerms<T>& x, const WallTerms<T>& y) {
    if (const auto order = y.radius_squared() <=> x.radius_squared(); order != 0) return order;
    return x.center() <=> y.center();
}

}  // namespace

// The order of fractions does not need lowest terms: the cross products of
// positive denominators give it for any representatives.
std::strong_ordering wall_order(const ExactWall& x, const ExactWall& y) {
    if (const auto* narrow_x = std::get_if<RawWall>(&x))
        if (const auto* narrow_y = std::get_if<RawWall>(&y)) return order_of(*narrow_x, *narrow_y);
    return std::visit([](const auto& x, const auto& y) { return order_of(widened(x), widened(y)); }, x, y);
}

namespace {

// x rounded to a double, by the 64-bit conversion when x fits (the 128-bit
// one is a library call).
double rounded(wide x) {
    const bool fits_64 = x > -(wide{1} << 63) && x < (wide{1} << 63);
    return fits_64 ? static_cast<double>(static_cast<std::int64_t>(x)) : static_cast<double>(x);
}
double rounded(const BigInt& x) { return x.to_double(); }

}  // namespace

// Each double within a relative 2^-52 of its integer (BigInt::to_double; one
// rounding for wide), the quotient one rounding more: 2^-52 + 2^-52 + 2^-53
// and their products stay below 2^-50.
double approximate_radius_squared(const RawWall& wall) { return rounded(wall.n) / rounded(4 * wall.e * wall.e); }
double approximate_radius_squared(const WideWall& wall) { return rounded(wall.n) / rounded(4 * wall.e * wall.e); }

}  // namespace varnolt::tilt_stability::walls
