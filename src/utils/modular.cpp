#include "utils/modular.hpp"

#include "primitives/int128.hpp"
#include "utils/rounding.hpp"

namespace varnolt::utils {

using primitives::wide;

// Extended Euclid on 128-bit integers: the Bezout coefficient s of
// s*a + t*m = gcd(a, m) is the inverse when the gcd is 1. |s| stays below m,
// so nothing wraps, and it takes O(log m) steps.
Outcome<std::int64_t> modulo_inverse(std::int64_t a, std::int64_t m) {
    if (a < 0 || m < 2) return std::unexpected("both arguments to modulo_inverse must be positive");
    wide old_r = a % m, r = m;
    wide old_s = 1, s = 0;
    while (r != 0) {
        const wide quotient = old_r / r;
        const wide next_r = old_r - quotient * r;
        old_r = r;
        r = next_r;
        const wide next_s = old_s - quotient * s;
        old_s = s;
        s = next_s;
    }
    if (old_r != 1) return std::unexpected("modulo inverse does not exist");
    return floor_mod(old_s, m);
}

}  // namespace varnolt::utils
