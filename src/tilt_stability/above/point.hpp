#pragma once
// A stability condition σ(β, α) given exactly: β and α as fractions of
// integers of any size (a caller may pass 1e-300 at its exact binary value).
#include "utils/big_int.hpp"

namespace varnolt::tilt_stability::above {

using utils::BigInt;

// β = beta_numerator/beta_denominator, α = alpha_numerator/alpha_denominator.
// The search refuses a denominator that is not positive (internal fault) and
// α <= 0 (no stability condition); the fractions need not be in lowest terms.
struct Point {
    BigInt beta_numerator;
    BigInt beta_denominator;
    BigInt alpha_numerator;
    BigInt alpha_denominator;
};

// The same point seen from the mirror β ↦ −β.
inline Point mirrored(const Point& point) {
    return {-point.beta_numerator, point.beta_denominator, point.alpha_numerator, point.alpha_denominator};
}

}  // namespace varnolt::tilt_stability::above
