#include "tilt_stability/above/rank_bound.hpp"

#include <cmath>
#include <cstdio>
#include <limits>

namespace varnolt::tilt_stability::above {

// Why the search for the walls over a point P = (β0, α0) is finite, and how far it goes.
//
// Let v = (R, C, D/2) with R >= 0 and a real β₋, S = C − R·β₋ its twisted ch1 at
// β₋ (S = √Δ for R > 0, Δ = C² − R·D; S = C for R = 0), and P left of the
// vertical wall β = C/R when R > 0. A candidate u = (r, c, d/2) has
//   0 < q < S          (q = c − r·β₋),
//   r·S > R·q          (the rank condition),
//   0 < h <= q²/(2r)   (h = ch2 twisted by β₋: d/2 − β₋·c + β₋²·r/2),
//   h <= δ²/(2(r − R)) when r > R, δ = S − q.
// On the line β = β₋, ν_{β₋,α}(v) = −α²·R/(2S) and ν_{β₋,α}(u) = (h − α²·r/2)/q,
// equal exactly at α_u² = 2S·h/(r·S − R·q) > 0: u's numerical wall crosses the
// line β = β₋ at the height α_u.
//
// The numerical walls of v on one side are nested semicircles, each with β₋
// inside its diameter, and the height at β₋ grows with the radius: for R > 0
// the wall of centre x has ρ² = (x − C/R)² − Δ/R², and its height² at β₋ is
// ρ² − (β₋ − x)² = 2S·(β₋ − x)/R; for R = 0 the walls are centred at β₋.
// Through P passes exactly one of them, W0, of height a0 at β₋ (a0² =
// 2S·(β₋ − x0)/R with x0 its centre; a0² = (β0 − β₋)² + α0² for R = 0). So u's
// wall passes over P or through it exactly when α_u² >= a0².
//
// Bound. Let r > R. Both caps on h hold, and min(q²/x, δ²/y) <= (q + δ)²/(x + y)
// for positive x, y (were both larger, q > √(m·x) and δ > √(m·y) for the
// minimum m, so (q + δ)² > m·(√x + √y)² >= m·(x + y)), so
//   h <= S²/(2·(2r − R)).
// As q < S and R >= 0, r·S − R·q >= (r − R)·S > 0. Hence
//   a0² <= α_u² = 2S·h/(r·S − R·q) <= S³/((2r − R)·(r − R)·S),
// that is  P(r)·a0² <= S²  with  P(r) = (2r − R)·(r − R),  which grows with r
// for r > R. Every candidate whose wall passes over P or through it has rank
// at most the larger of R and the largest r with P(r)·a0² <= S².
//
// Exactly, with β0 = n/m and T = β0² + α0² = t/s: for R > 0 the centre of W0 is
// x0 = (D − R·T)/(2(C − R·β0)), and y = C − R·x0 = Yn/Yd with
//   Yn = 2C·s·(C·m − R·n) − R·m·(D·s − R·t),   Yd = 2s·(C·m − R·n) > 0,
// y > S (as x0 < β₋), and a0² = 2S·(y − S)/R² turns P·a0² <= S² into
// 2P·y <= S·(R² + 2P), and, both sides positive, into
//   4P²·Yn² <= Δ·(R² + 2P)²·Yd².
// For R = 0, a0² = Hn/Hd with Hn = (2C·n − D·m)²·α_d² + 4C²m²·α_n²,
// Hd = 4C²m²α_d², and P = 2r²: 2r²·Hn <= C²·Hd. Integers only.
//
// For the figure of a refused bound, P(r) <= K = S²/a0² solves to
// r = (3R + √(R² + 8K))/4, with K = S·R²·(y + S)·Yd²/(2(Yn² − Δ·Yd²)) for
// R > 0 (y − S = (y² − Δ)/(y + S), without cancellation) and C²·Hd/Hn for R = 0,
// worked out in logarithms so that any size fits.

namespace {

// The test P(r)·a0² <= S² for r > R, and ln K, from v and the point.
class ProvenBound {
public:
    ProvenBound(const chern_character::ChernChar<2>& v, const Point& point) : big_r_(v.r) {
        const BigInt big_c = v.c.coeff, big_d = v.d.numerator;
        const BigInt& n = point.beta_numerator;
        const BigInt& m = point.beta_denominator;
        const BigInt alpha_n2 = point.alpha_numerator * point.alpha_numerator;
        const BigInt alpha_d2 = point.alpha_denominator * point.alpha_denominator;
        if (v.r == 0) {
            const BigInt shift = BigInt(2) * big_c * n - big_d * m;
            const BigInt cm2 = BigInt(4) * big_c * big_c * m * m;
            left_ = shift * shift * alpha_d2 + cm2 * alpha_n2;  // Hn, times 2r² in within
            right_ = big_c * big_c * cm2 * alpha_d2;            // C²·Hd
            log_k_ = right_.log_abs() - left_.log_abs();
            return;
        }
        const BigInt t = n * n * alpha_d2 + alpha_n2 * m * m;
        const BigInt s = m * m * alpha_d2;
        const BigInt across = big_c * m - BigInt(v.r) * n;
        const BigInt y_n = BigInt(2) * big_c * s * across - BigInt(v.r) * m * (big_d * s - BigInt(v.r) * t);
        const BigInt y_d = BigInt(2) * s * across;
        const BigInt delta = big_c * big_c - BigInt(v.r) * big_d;
        left_ = BigInt(4) * y_n * y_n;
        right_ = delta * y_d * y_d;
        const long double ln_s = delta.log_abs() / 2, ln_y = y_n.log_abs() - y_d.log_abs();
        const long double ln_y_plus_s = std::fmax(ln_y, ln_s) + std::log1p(std::exp(-std::fabs(ln_y - ln_s)));
        const BigInt excess = y_n * y_n - delta * y_d * y_d;  // > 0 as y > S
        log_k_ = excess.sign() <= 0 ? std::numeric_limits<long double>::infinity()
                                    : ln_s + 2 * std::log(static_cast<long double>(v.r)) + ln_y_plus_s +
                                          2 * y_d.log_abs() - std::log(2.0L) - excess.log_abs();
    }

    // Whether P(r)·a0² <= S², for r > R.
    bool within(const BigInt& r) const {
        if (big_r_ == 0) return BigInt(2) * r * r * left_ <= right_;
        const BigInt p = (r + r - big_r_) * (r - big_r_);
        const BigInt r2_plus_2p = BigInt(big_r_) * big_r_ + p + p;
        return p * p * left_ <= r2_plus_2p * r2_plus_2p * right_;
    }

    // The bound as people read it, three significant digits.
    std::string figure() const {
        const long double big_r = static_cast<long double>(big_r_);
        const long double ln_bound = log_k_ < 11000 ? std::log((3 * big_r + std::sqrt(big_r * big_r + 8 * std::exp(log_k_))) / 4)
                                                    : (log_k_ - std::log(2.0L)) / 2;
        char text[64];
        if (ln_bound < 11000) {
            std::snprintf(text, sizeof text, "%.3Lg", std::exp(ln_bound));
            return text;
        }
        const long double exponent = std::floor(ln_bound / std::log(10.0L));
        std::snprintf(text, sizeof text, "%.2Lfe+%.0Lf", std::exp(ln_bound - exponent * std::log(10.0L)), exponent);
        return text;
    }

private:
    std::int64_t big_r_;
    BigInt left_, right_;
    long double log_k_ = 0;
};

}  // namespace

std::expected<std::optional<std::int64_t>, BoundTooLarge> rank_bound(const chern_character::ChernChar<2>& v,
                                                                     const Point& point,
                                                                     std::optional<std::int64_t> max_rank,
                                                                     bool walked) {
    if (v.r < 0) return max_rank;
    if (v.r == 0 && v.c.coeff < 0) return 0;  // S = C is not positive: no candidate at all
    const ProvenBound proven(v, point);
    constexpr std::int64_t int64_max = std::numeric_limits<std::int64_t>::max();
    const std::int64_t limit = max_rank ? *max_rank : walked ? walkable_ranks : int64_max;
    // The proven bound exceeds limit when R does, or when limit + 1 > R is within it.
    if (v.r > limit || proven.within(BigInt(limit) + 1)) {
        if (max_rank) return max_rank;
        return std::unexpected(BoundTooLarge{proven.figure(), proven.within(BigInt(int64_max) + 1)});
    }
    // The largest r in [R, limit] within the bound (R counts as within): by
    // doubling from R + 1, then bisection; high is never within.
    std::uint64_t low = static_cast<std::uint64_t>(v.r), high = static_cast<std::uint64_t>(limit) + 1;
    for (std::uint64_t next = low + 1; next < high; next = std::min(2 * next, high)) {
        if (!proven.within(BigInt(static_cast<std::int64_t>(next)))) {
            high = next;
            break;
        }
        low = next;
    }
    while (high - low > 1) {
        const std::uint64_t middle = low + (high - low) / 2;
        (proven.within(BigInt(static_cast<std::int64_t>(middle))) ? low : high) = middle;
    }
    return static_cast<std::int64_t>(low);
}

}  // namespace varnolt::tilt_stability::above
