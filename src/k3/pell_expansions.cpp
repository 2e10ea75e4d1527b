#include "k3/pell_expansions.hpp"

#include <set>
#include <utility>

#include "primitives/checked.hpp"
#include "primitives/stop.hpp"
#include "utils/isqrt.hpp"
#include "utils/rounding.hpp"

namespace varnolt::k3 {

namespace {

constexpr std::int64_t limit = std::int64_t{1} << 60;

// floor((p + √d)/q) for q ≠ 0, root = floor(√d): √d is irrational, so for q > 0
// it is floor((p + root)/q), and for q < 0, minus the ceiling of (p + √d)/|q|,
// that is −(floor((p + root)/|q|) + 1).
std::int64_t partial_quotient(std::int64_t p, std::int64_t q, std::int64_t root) {
    if (q > 0) return static_cast<std::int64_t>(utils::floor_div(p + root, q));
    return -static_cast<std::int64_t>(utils::floor_div(p + root, -q)) - 1;
}

// The quotients of (z + √d)/m up to the first Q_i = ±1 with i >= 1, or none.
std::vector<std::int64_t> quotients_to_unit(std::int64_t d, std::int64_t root, std::int64_t z,
                                            std::int64_t m, tilt_stability::InterruptPoll& interrupt) {
    std::vector<std::int64_t> quotients;
    std::set<std::pair<std::int64_t, std::int64_t>> seen;
    std::int64_t p = z, q = m;
    for (;;) {
        interrupt.tick();
        if (!seen.insert({p, q}).second) return {};  // a whole period without ±1
        const std::int64_t a = partial_quotient(p, q, root);
        quotients.push_back(a);
        // Q_{i+1}·Q_i = d − P_{i+1}², and Q_i divides it exactly (Q_0 | d − z²).
        p = primitives::checked_sub(primitives::checked_mul(a, q), p);
        q = primitives::guarded_div(primitives::checked_sub(d, primitives::checked_mul(p, p)), q);
        if (q == 1 || q == -1) return quotients;
    }
}

}  // namespace

std::vector<PellExpansion> pell_expansions(std::int64_t d, std::int64_t k,
                                           tilt_stability::InterruptPoll& interrupt) {
    const auto root = static_cast<std::int64_t>(utils::isqrt(static_cast<primitives::uwide>(d > 0 ? d : 0)));
    if (d <= 0 || k <= 0 || root * root == d) primitives::stop("pell_expansions needs d > 0 not a square and k > 0");
    if (d >= limit || k >= limit) primitives::overflow();
    std::vector<PellExpansion> found;
    for (std::int64_t f = 1; f * f <= k; ++f) {
        if (k % (f * f) != 0) continue;
        const std::int64_t m = k / (f * f);
        for (std::int64_t z = -((m - 1) / 2); z <= m / 2; ++z) {  // −m/2 < z <= m/2
            interrupt.tick();
            if (utils::floor_mod(static_cast<primitives::wide>(z) * z - d, m) != 0) continue;
            std::vector<std::int64_t> quotients = quotients_to_unit(d, root, z, m, interrupt);
            if (!quotients.empty()) found.push_back({f, z, std::move(quotients)});
        }
    }
    return found;
}

}  // namespace varnolt::k3
