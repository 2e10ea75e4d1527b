#include "utils/utils.hpp"

#include <cmath>

#include "utils/checked.hpp"
#include "utils/stop.hpp"
#include "utils/wide.hpp"

namespace varnolt::utils {

std::int64_t least_greater_int(const Ratio& x) {
    if (x.denom == 1) return checked_add(x.numer, 1);
    const std::int64_t q = guarded_div(x.numer, x.denom);  // truncated toward zero
    return x.numer > 0 ? q + 1 : q;
}

std::int64_t greatest_lesser_or_eq_int(const Ratio& x) {
    if (x.denom == 1) return x.numer;
    const std::int64_t q = guarded_div(x.numer, x.denom);
    return x.numer > 0 ? q : q - 1;  // |q| < 2^63 - 1 here, as denom >= 2
}

// Extended Euclid on 128-bit integers: the Bezout coefficient s of
// s*a + t*m = gcd(a, m) is the inverse when the gcd is 1. |s| stays below m,
// so nothing wraps, and it takes O(log m) steps.
Outcome<std::int64_t> modulo_inverse(std::int64_t a, std::int64_t m) {
    if (a < 0 || m < 2) return std::unexpected("both arguments to modulo_inverse must be positive");
    __int128 old_r = a % m, r = m;
    __int128 old_s = 1, s = 0;
    while (r != 0) {
        const __int128 quotient = old_r / r;
        const __int128 next_r = old_r - quotient * r;
        old_r = r;
        r = next_r;
        const __int128 next_s = old_s - quotient * s;
        old_s = s;
        s = next_s;
    }
    if (old_r != 1) return std::unexpected("modulo inverse does not exist");
    return floor_mod(old_s, m);
}

std::optional<Ratio> checked_sqrt(const Ratio& x) {
    if (x.numer < 0 || x.denom < 0) return std::nullopt;
    const auto numer = static_cast<std::uint64_t>(x.numer);
    const auto denom = static_cast<std::uint64_t>(x.denom);
    const std::uint64_t s = sqrt(numer);
    const std::uint64_t t = sqrt(denom);
    // s, t <= 2^32 - 1 < 2^63, so the casts and the squares are exact.
    if (s * s != numer || t * t != denom) return std::nullopt;
    return Ratio::new_(static_cast<std::int64_t>(s), static_cast<std::int64_t>(t));
}

std::uint64_t sqrt(std::uint64_t a) {
    if (a < 4) return a == 0 ? 0 : 1;
    // The floating-point root is only a starting point for Newton's iteration;
    // the two loops settle on floor(sqrt(a)) from either side.
    const double root = std::sqrt(static_cast<double>(a));
    std::uint64_t x = root >= 18446744073709551615.0 ? UINT64_MAX : static_cast<std::uint64_t>(root);
    const auto next = [a](std::uint64_t x) {
        // a / x + x can exceed 2^64 - 1 only when x > 2^32, where a / x < 2^32.
        return static_cast<std::uint64_t>((static_cast<unsigned __int128>(a / x) + x) / 2);
    };
    std::uint64_t y = next(x);
    while (x < y) {
        x = y;
        y = next(x);
    }
    while (x > y) {
        x = y;
        y = next(x);
    }
    return x;
}

}  // namespace varnolt::utils
