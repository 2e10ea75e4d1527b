#include "utils/isqrt.hpp"

#include <cmath>
#include <cstdint>

namespace varnolt::utils {

using primitives::uwide;

// Newton's iteration from above: for any x > 0, y = floor((floor(a/x) + x)/2)
// = floor((a/x + x)/2) >= floor(sqrt(a)) by the AM-GM inequality, and while
// x > floor(sqrt(a)) the step strictly decreases x. So after one step from the
// floating-point start the iterates fall to floor(sqrt(a)) and stop there (the
// first y >= x). The floating-point root only picks the start: it is within a
// relative 2^-50 of sqrt(a), so x + a/x stays below 2^66 and nothing wraps.
uwide isqrt(uwide a) {
    if (a < 4) return a == 0 ? 0 : 1;
    // Below 2^100 (every root the rank-bounded walk takes for a v of moderate
    // size), no division at all: sqrt(a) < 2^50, and the floating-point root
    // is within a relative 2^-52 of it, so within 1. Exact corrections in
    // 128-bit products (at most one or two) leave floor(sqrt(a)).
    if (a < (uwide{1} << 100)) {
        auto x = static_cast<std::uint64_t>(std::sqrt(static_cast<double>(a)));
        while (uwide{x} * x > a) --x;
        while (uwide{x + 1} * (x + 1) <= a) ++x;
        return x;
    }
    const double root = std::sqrt(static_cast<double>(a));
    uwide x = root >= 18446744073709551615.0 ? uwide{UINT64_MAX} : static_cast<uwide>(root);
    if (x == 0) x = 1;
    x = (a / x + x) / 2;
    for (;;) {
        const uwide y = (a / x + x) / 2;
        if (y >= x) return x;
        x = y;
    }
}

}  // namespace varnolt::utils
