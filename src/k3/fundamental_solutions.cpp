#include "k3/fundamental_solutions.hpp"

#include "utils/checked.hpp"
#include "utils/isqrt.hpp"
#include "utils/stop.hpp"

namespace varnolt::k3 {

using utils::checked_add;
using utils::checked_mul;
using utils::uwide;
using utils::wide;

std::vector<Solution> fundamental_solutions(std::int64_t d, std::int64_t k, const PellUnit& unit,
                                            tilt_stability::InterruptPoll& interrupt) {
    if (d <= 0 || k <= 0 || unit.x <= 1) utils::stop("fundamental_solutions needs d, k > 0 and a unit");
    // Y² <= k·(x1 − 1)/(2d), and Y <= floor of that root.
    const wide reach = checked_mul<wide>(k, unit.x - 1) / (2 * static_cast<wide>(d));
    const uwide last = utils::isqrt(static_cast<uwide>(reach));
    std::vector<Solution> found;
    for (uwide y = 0; y <= last; ++y) {
        interrupt.tick();
        const wide y_wide = static_cast<wide>(y);  // below 2^64
        const wide square = checked_add<wide>(k, checked_mul<wide>(checked_mul<wide>(d, y_wide), y_wide));
        const uwide x = utils::isqrt(static_cast<uwide>(square));
        if (static_cast<wide>(x * x) == square) found.push_back({static_cast<wide>(x), y_wide});
    }
    return found;
}

}  // namespace varnolt::k3
