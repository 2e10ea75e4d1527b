#include "quadratic/surd.hpp"

#include "primitives/checked.hpp"
#include "utils/isqrt.hpp"
#include "utils/rounding.hpp"
#include "primitives/stop.hpp"

namespace varnolt::quadratic {

using primitives::checked_add;
using primitives::checked_mul;
using primitives::checked_neg;
using primitives::uwide;

namespace {

std::int64_t common_radicand(const Surd& x, const Surd& y) {
    if (x.radicand != y.radicand) primitives::stop("surds over different radicands");
    return x.radicand;
}

uwide magnitude(wide a) { return a < 0 ? uwide{0} - static_cast<uwide>(a) : static_cast<uwide>(a); }

// b²·D, or nothing when it exceeds 2^128 − 1.
bool square_times(uwide b, uwide factor, uwide& result) {
    uwide square;
    return !primitives::mul_overflows(b, b, square) && !primitives::mul_overflows(square, factor, result);
}

int sign_of(wide a) { return (a > 0) - (a < 0); }

}  // namespace

Surd operator+(const Surd& x, const Surd& y) {
    return {checked_add<wide>(x.a, y.a), checked_add<wide>(x.b, y.b), common_radicand(x, y)};
}

Surd operator-(const Surd& x) { return {checked_neg<wide>(x.a), checked_neg<wide>(x.b), x.radicand}; }

Surd operator-(const Surd& x, const Surd& y) { return x + (-y); }

Surd operator*(const Surd& x, const Surd& y) {
    const wide radicand = common_radicand(x, y);
    return {checked_add<wide>(checked_mul<wide>(x.a, y.a),
                             checked_mul<wide>(checked_mul<wide>(x.b, y.b), radicand)),
            checked_add<wide>(checked_mul<wide>(x.a, y.b), checked_mul<wide>(y.a, x.b)), x.radicand};
}

Surd operator*(const Surd& x, wide k) {
    return {checked_mul<wide>(x.a, k), checked_mul<wide>(x.b, k), x.radicand};
}

// With a and b of one sign (or one of them 0) the sign is theirs. Otherwise
// a + b√D has the sign of whichever of |a| and |b|·√D is larger, and squaring
// keeps the order of non-negative numbers: compare a² with b²·D, equal only
// when the value is 0 (D a perfect square). A square beyond 128 bits is larger
// than one within them, so only both overflowing leaves the sign undecided.
int sign(const Surd& x) {
    const int sign_a = sign_of(x.a);
    const int sign_b = x.radicand == 0 ? 0 : sign_of(x.b);
    if (sign_b == 0 || sign_a == sign_b) return sign_a != 0 ? sign_a : sign_b;
    if (sign_a == 0) return sign_b;
    uwide a_squared = 0, b_squared_d = 0;
    const bool a_fits = !primitives::mul_overflows(magnitude(x.a), magnitude(x.a), a_squared);
    const bool b_fits = square_times(magnitude(x.b), static_cast<uwide>(x.radicand), b_squared_d);
    if (!a_fits && !b_fits) primitives::overflow();
    if (!b_fits || (a_fits && a_squared < b_squared_d)) return sign_b;
    if (!a_fits || a_squared > b_squared_d) return sign_a;
    return 0;
}

std::strong_ordering operator<=>(const Surd& x, const Surd& y) { return sign(x - y) <=> 0; }

bool operator==(const Surd& x, const Surd& y) { return sign(x - y) == 0; }

// Write b·√D = F + θ with F = floor(b·√D) and 0 <= θ < 1. For the integer
// N = a + F and den >= 1, N = den·k + ρ with 0 <= ρ < den gives
// (N + θ)/den = k + (ρ + θ)/den and ρ + θ < den, so floor(x/den) = floor(N/den).
// F is s = floor(√(b²·D)) for b >= 0 and −s, less 1 when s² < b²·D, for b < 0.
wide floor_div(const Surd& x, wide den) {
    if (den <= 0) primitives::stop("surd divided by a non-positive integer");
    wide floor_b_root = 0;
    if (x.b != 0 && x.radicand != 0) {
        uwide b_squared_d = 0;
        if (!square_times(magnitude(x.b), static_cast<uwide>(x.radicand), b_squared_d)) primitives::overflow();
        const uwide root = utils::isqrt(b_squared_d);  // < 2^64
        const wide s = static_cast<wide>(root);
        floor_b_root = x.b > 0 ? s : -s - (root * root != b_squared_d ? 1 : 0);
    }
    return utils::floor_div(checked_add<wide>(x.a, floor_b_root), den);
}

wide ceil_div(const Surd& x, wide den) { return checked_neg<wide>(floor_div(-x, den)); }

}  // namespace varnolt::quadratic
