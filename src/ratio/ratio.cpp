#include "ratio/ratio.hpp"

#include <limits>

#include "primitives/checked.hpp"
#include "primitives/stop.hpp"

namespace varnolt::ratio {

using primitives::checked_abs;
using primitives::checked_add;
using primitives::checked_mul;
using primitives::checked_neg;
using primitives::checked_sub;
using primitives::guarded_div;

namespace {

constexpr std::int64_t int_min = std::numeric_limits<std::int64_t>::min();

}  // namespace

// On the magnitudes as unsigned values: |−2^63| = 2^63 is exact there, and
// the casts back give its bit pattern where it is the answer.
std::int64_t gcd(std::int64_t m, std::int64_t n) {
    return static_cast<std::int64_t>(binary_gcd(magnitude_of(m), magnitude_of(n)));
}

std::int64_t lcm(std::int64_t a, std::int64_t b) {
    if (a == 0 && b == 0) return 0;
    return checked_abs(checked_mul(a, guarded_div(b, gcd(a, b))));
}

template <>
void Ratio::reduce() {
    if (denom == 0) primitives::stop("denominator == 0");
    if (numer == 0) {
        denom = 1;
        return;
    }
    if (numer == denom) {
        numer = denom = 1;
        return;
    }
    const std::int64_t g = gcd(numer, denom);
    numer = guarded_div(numer, g);
    denom = guarded_div(denom, g);
    if (denom < 0) {
        numer = checked_neg(numer);
        denom = checked_neg(denom);
    }
}

std::int64_t to_integer(const Ratio& x) { return guarded_div(x.numer, x.denom); }

Ratio operator-(const Ratio& x) { return {checked_neg(x.numer), x.denom}; }

namespace {

// The shared scheme of add and sub: combine the numerators over a common
// denominator (the least common multiple), then reduce.
template <typename Combine>
Ratio combine(const Ratio& x, const Ratio& y, Combine op) {
    if (x.denom == y.denom) return Ratio::new_(op(x.numer, y.numer), y.denom);
    const std::int64_t l = lcm(x.denom, y.denom);
    return Ratio::new_(op(checked_mul(x.numer, guarded_div(l, x.denom)),
                          checked_mul(y.numer, guarded_div(l, y.denom))),
                       l);
}

}  // namespace

Ratio add(const Ratio& x, const Ratio& y) { return combine(x, y, checked_add<std::int64_t>); }
Ratio sub(const Ratio& x, const Ratio& y) { return combine(x, y, checked_sub<std::int64_t>); }

Ratio operator+(const Ratio& x, std::int64_t k) {
    return Ratio::new_(checked_add(x.numer, checked_mul(x.denom, k)), x.denom);
}

Ratio mul(const Ratio& x, std::int64_t k) {
    const std::int64_t g = gcd(x.denom, k);
    return Ratio::new_(checked_mul(x.numer, guarded_div(k, g)), guarded_div(x.denom, g));
}

Ratio div(const Ratio& x, std::int64_t k) {
    const std::int64_t g = gcd(x.numer, k);
    return Ratio::new_(guarded_div(x.numer, g), checked_mul(x.denom, guarded_div(k, g)));
}

Ratio operator*(const Ratio& x, const Ratio& y) {
    const std::int64_t g1 = gcd(x.numer, y.denom);
    const std::int64_t g2 = gcd(x.denom, y.numer);
    return Ratio::new_(checked_mul(guarded_div(x.numer, g1), guarded_div(y.numer, g2)),
                       checked_mul(guarded_div(x.denom, g2), guarded_div(y.denom, g1)));
}

Ratio pow(const Ratio& x, unsigned exponent) {
    Ratio power{1, 1};
    for (unsigned i = 0; i < exponent; ++i) {
        power.numer = checked_mul(power.numer, x.numer);
        power.denom = checked_mul(power.denom, x.denom);
    }
    return power;
}

std::optional<Ratio> checked_div(const Ratio& x, const Ratio& y) {
    if (y.numer == 0) return std::nullopt;
    std::int64_t p, q;
    if (x.denom == y.denom) {
        p = x.numer;
        q = y.numer;
    } else if (x.numer == y.numer) {
        p = y.denom;
        q = x.denom;
    } else {
        const std::int64_t g1 = gcd(x.numer, y.numer);
        const std::int64_t g2 = gcd(x.denom, y.denom);
        if (primitives::mul_overflows(guarded_div(x.numer, g1), guarded_div(y.denom, g2), p) ||
            primitives::mul_overflows(guarded_div(x.denom, g2), guarded_div(y.numer, g1), q))
            return std::nullopt;
    }
    if (q == 0) return std::nullopt;
    if (p == 0) return Ratio{0, 1};
    if (p == q) return Ratio{1, 1};
    const std::int64_t g = gcd(p, q);
    p = guarded_div(p, g);
    q = guarded_div(q, g);
    if (q < 0) {
        if (p == int_min || q == int_min) return std::nullopt;
        p = -p;
        q = -q;
    }
    return Ratio{p, q};
}

namespace {

Ordering reverse(Ordering o) {
    switch (o) {
        case Ordering::Less: return Ordering::Greater;
        case Ordering::Greater: return Ordering::Less;
        case Ordering::Equal: break;
    }
    return Ordering::Equal;
}

Ordering compare_ints(std::int64_t a, std::int64_t b) {
    return a < b ? Ordering::Less : a > b ? Ordering::Greater : Ordering::Equal;
}

struct FloorDivision {
    std::int64_t quotient;
    std::int64_t remainder;  // 0 or of the sign of the divisor
};

FloorDivision floor_divide(std::int64_t numer, std::int64_t denom) {
    std::int64_t q = guarded_div(numer, denom);
    std::int64_t r = primitives::guarded_rem(numer, denom);
    if (r != 0 && ((r < 0) != (denom < 0))) {
        q -= 1;  // q >= -2^63 + 1 here, since a non-zero remainder means |q| < 2^63
        r += denom;
    }
    return {q, r};
}

}  // namespace

// Compares the floor quotients first; equal floors leave the fractional parts
// rx/dx and ry/dy in [0, 1), and for positive fractional parts
// rx/dx < ry/dy  <=>  dx/rx > dy/ry, the same comparison one step further down
// the continued fractions. The remainders shrink as in Euclid's algorithm, so
// this ends, and no product is ever formed.
Ordering cmp(const Ratio& x, const Ratio& y) {
    if (x.denom == y.denom) {
        const Ordering o = compare_ints(x.numer, y.numer);
        return x.denom < 0 ? reverse(o) : o;
    }
    if (x.numer == y.numer) {
        if (x.numer == 0) return Ordering::Equal;
        const Ordering o = compare_ints(x.denom, y.denom);
        return x.numer > 0 ? reverse(o) : o;
    }
    const FloorDivision fx = floor_divide(x.numer, x.denom);
    const FloorDivision fy = floor_divide(y.numer, y.denom);
    if (fx.quotient != fy.quotient) return compare_ints(fx.quotient, fy.quotient);
    if (fx.remainder == 0 && fy.remainder == 0) return Ordering::Equal;
    if (fx.remainder == 0) return Ordering::Less;
    if (fy.remainder == 0) return Ordering::Greater;
    return reverse(cmp(Ratio{x.denom, fx.remainder}, Ratio{y.denom, fy.remainder}));
}

}  // namespace varnolt::ratio
