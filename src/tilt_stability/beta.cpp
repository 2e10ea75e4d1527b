#include "tilt_stability/beta.hpp"

#include "primitives/checked.hpp"
#include "utils/ratio_rounding.hpp"

namespace varnolt::tilt_stability {

using ratio::Ratio;

std::optional<Ratio> β_(const chern_character::ChernChar<2>& v) {
    const std::int64_t r = v.r;
    const std::int64_t c = v.c.coeff;
    const std::int64_t d = v.d.numerator;
    if (r != 0) {
        const Ratio delta = Ratio::from_integer(primitives::narrow(chern_character::discriminant(v)));
        const std::optional<Ratio> root = utils::checked_sqrt(delta);
        if (!root) return std::nullopt;
        return ratio::div(ratio::sub(Ratio::from_integer(c), *root), r);
    }
    if (c == 0) return std::nullopt;
    const std::optional<Ratio> beta = ratio::checked_div(Ratio::new_(d, 2), Ratio::from_integer(c));
    // With c ≠ 0 the quotient is rational; nothing here means it does not fit.
    if (!beta) primitives::overflow();
    return beta;
}

}  // namespace varnolt::tilt_stability
