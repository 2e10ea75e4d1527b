#include "tilt_stability/above/over_point_runs.hpp"

#include <algorithm>
#include <cmath>

#include "primitives/stop.hpp"

namespace varnolt::tilt_stability::above {

namespace {

// x·2^−exponent, as a long double (0 when it falls below the range).
long double scaled_down(const BigInt& x, std::int64_t exponent) {
    const BigInt::Scaled s = x.scaled();
    const std::int64_t shift = std::max<std::int64_t>(s.exponent - exponent, -20000);
    return std::ldexp(s.fraction, static_cast<int>(shift));
}

// The first k in [0, last] with holds(k), or last + 1 when there is none, for
// holds false up to some k and true from there on. Starts at guess and moves
// outward by doubling steps, then bisects: O(log |answer − guess|) tests.
template <typename Holds>
std::uint64_t first_holding(std::uint64_t last, std::uint64_t guess, Holds&& holds) {
    constexpr std::uint64_t longest_step = std::uint64_t{1} << 62;
    std::uint64_t low = 0, high = 0;  // the answer lies in (low, high]
    if (holds(guess)) {
        high = guess;
        for (std::uint64_t step = 1;; step = std::min(2 * step, longest_step)) {
            if (high == 0) return 0;
            low = high > step ? high - step : 0;
            if (!holds(low)) break;
            high = low;
        }
    } else {
        low = guess;
        for (std::uint64_t step = 1;; step = std::min(2 * step, longest_step)) {
            if (low == last) return last + 1;
            high = last - low > step ? low + step : last;
            if (holds(high)) break;
            low = high;
        }
    }
    while (high - low > 1) {
        const std::uint64_t middle = low + (high - low) / 2;
        (holds(middle) ? high : low) = middle;
    }
    return high;
}

}  // namespace

OverPointRuns::OverPointRuns(const chern_character::ChernChar<2>& v, const Point& point, RunSink& out)
    : big_r_(v.r), big_c_(v.c.coeff), out_(out) {
    const BigInt& n = point.beta_numerator;
    const BigInt& m = point.beta_denominator;
    const BigInt alpha_squared_numerator = point.alpha_numerator * point.alpha_numerator;
    const BigInt alpha_squared_denominator = point.alpha_denominator * point.alpha_denominator;
    // T = n²/m² + α_n²/α_d² = t/s.
    const BigInt t = n * n * alpha_squared_denominator + alpha_squared_numerator * m * m;
    const BigInt s = m * m * alpha_squared_denominator;
    const BigInt big_d = v.d.numerator;
    p_ = m * (s * big_d - t * big_r_);
    q_ = t * m * big_c_ - s * n * big_d;
    l_ = s * (n * big_r_ - m * big_c_);
    small_ = p_.fits_62_bits() && q_.fits_62_bits() && l_.fits_62_bits();
    if (small_) p_small_ = p_.to_int64(), q_small_ = q_.to_int64(), l_small_ = l_.to_int64();
    const std::int64_t common =
        std::max({p_.scaled().exponent, q_.scaled().exponent, l_.scaled().exponent});
    p_scaled_ = scaled_down(p_, common), q_scaled_ = scaled_down(q_, common), l_scaled_ = scaled_down(l_, common);
}

bool OverPointRuns::passes(const CandidateRun& run, int e_sign, std::int64_t d) const {
    if (small_) {
        // Three products below 2^125 each: the sum is exact in 128 bits.
        const wide h = wide{run.c} * p_small_ + wide{run.r} * q_small_ + wide{d} * l_small_;
        return e_sign > 0 ? h >= 0 : h <= 0;
    }
    const int h_sign = (BigInt(run.c) * p_ + BigInt(run.r) * q_ + BigInt(d) * l_).sign();
    return e_sign * h_sign >= 0;
}

void OverPointRuns::append(const CandidateRun& run) {
    // e = R·c − r·C: two products below 2^126, exact in 128 bits.
    const wide e = wide{big_r_} * run.c - wide{run.r} * big_c_;
    if (e == 0) primitives::stop("a candidate on the line of v has no wall");
    const int e_sign = e > 0 ? 1 : -1;
    const auto d_at = [&](std::uint64_t k) {
        return static_cast<std::int64_t>(static_cast<std::uint64_t>(run.d_first) + k * static_cast<std::uint64_t>(run.d_step));
    };
    const std::uint64_t last = run.span() / run.step_size();
    if (l_.sign() == 0) {  // the test does not depend on d
        if (passes(run, e_sign, run.d_first)) out_.append(run);
        return;
    }
    // Along the run the test is true then false when sign(e)·L·d_step < 0,
    // false then true otherwise.
    const bool prefix = e_sign * l_.sign() * (run.d_step > 0 ? 1 : -1) < 0;
    // Most runs lie wholly on one side of the cut: one test of the end that passes last.
    if (passes(run, e_sign, prefix ? run.d_last : run.d_first)) {
        out_.append(run);
        return;
    }
    const long double cut = -(static_cast<long double>(run.c) * p_scaled_ + static_cast<long double>(run.r) * q_scaled_) / l_scaled_;
    const long double steps = (cut - static_cast<long double>(run.d_first)) / static_cast<long double>(run.d_step);
    const std::uint64_t guess = !(steps > 0) ? 0
                                : steps >= static_cast<long double>(last) ? last
                                                                          : static_cast<std::uint64_t>(steps);
    const std::uint64_t turn =
        first_holding(last, guess, [&](std::uint64_t k) { return passes(run, e_sign, d_at(k)) != prefix; });
    if (prefix && turn > 0) out_.append(CandidateRun(run.r, run.c, run.d_first, d_at(turn - 1), run.d_step));
    if (!prefix && turn <= last) out_.append(CandidateRun(run.r, run.c, d_at(turn), run.d_last, run.d_step));
}

}  // namespace varnolt::tilt_stability::above
