#include "k3/pell_unit.hpp"

#include "utils/checked.hpp"
#include "utils/isqrt.hpp"
#include "utils/stop.hpp"

namespace varnolt::k3 {

using utils::checked_add;
using utils::checked_mul;
using utils::wide;

PellUnit pell_unit(std::int64_t d, tilt_stability::InterruptPoll& interrupt) {
    const auto root = static_cast<std::int64_t>(utils::isqrt(static_cast<utils::uwide>(d)));
    if (d <= 0 || root * root == d) utils::stop("pell_unit needs a positive non-square");
    if (d > (std::int64_t{1} << 60)) utils::overflow();  // keeps q·a <= 4·d + 2·√d in 64 bits
    // The complete quotients (m + √d)/q of √d keep 0 <= m <= root and
    // 0 < q <= 2·root + 1 (the classical bounds of a reduced surd), so m, q and
    // the partial quotient a = (root + m)/q stay in 64 bits; q divides d − m².
    std::int64_t m = 0, q = 1, a = root;
    wide h0 = 1, h1 = root, k0 = 0, k1 = 1;
    int sign = -1;  // h1² − d·k1² has the sign (−1)^(index + 1)
    for (;;) {
        interrupt.tick();
        m = q * a - m;
        q = (d - m * m) / q;
        a = (root + m) / q;
        if (a == 2 * root) break;  // the period ends at the quotient 2·root
        const wide h2 = checked_add<wide>(checked_mul<wide>(a, h1), h0);
        const wide k2 = checked_add<wide>(checked_mul<wide>(a, k1), k0);
        h0 = h1, h1 = h2, k0 = k1, k1 = k2;
        sign = -sign;
    }
    if (sign > 0) return {h1, k1};
    // Norm −1: its square (h1 + k1·√d)² has norm 1.
    return {checked_add<wide>(checked_mul<wide>(h1, h1), checked_mul<wide>(checked_mul<wide>(d, k1), k1)),
            checked_mul<wide>(checked_mul<wide>(2, h1), k1)};
}

}  // namespace varnolt::k3
