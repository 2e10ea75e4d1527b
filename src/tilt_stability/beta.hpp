#pragma once
// β₋ of a Chern character: the smaller root in β of the twisted ch2
// d/2 − β·c + (β²/2)·r, that is (c − √(c² − r·d))/r for r ≠ 0 and ch2/c for
// rank 0. The search works at this one value of β.
#include <optional>

#include "chern_character/chern_character.hpp"
#include "ratio/ratio.hpp"

namespace varnolt::tilt_stability {

// β₋(v) in lowest terms, or nothing when it is not rational (c² − r·d is not a
// perfect square, or c = 0 = r). Raises ArithmeticOverflow when β₋ is rational
// but a value it needs (c² − r·d, c − √…, or the quotient itself) does not fit
// in 64 bits.
std::optional<ratio::Ratio> β_(const chern_character::ChernChar<2>& v);

// Whether v has a real β₋ at all: c² − r·d >= 0, and not r = c = 0.
inline bool has_real_beta(const chern_character::ChernChar<2>& v) {
    return !(v.r == 0 && v.c.coeff == 0) && chern_character::discriminant(v) >= 0;
}

}  // namespace varnolt::tilt_stability
