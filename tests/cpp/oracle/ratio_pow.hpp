#pragma once
// x^e for the oracle and the tests, with numerator and denominator raised
// separately (a power of a fraction in lowest terms is in lowest terms); every
// product checked.
#include "ratio/ratio.hpp"
#include "primitives/checked.hpp"

namespace varnolt_oracle {

inline varnolt::ratio::Ratio pow(const varnolt::ratio::Ratio& x, unsigned exponent) {
    varnolt::ratio::Ratio result{1, 1};
    for (unsigned i = 0; i < exponent; ++i) {
        result.numer = varnolt::primitives::checked_mul(result.numer, x.numer);
        result.denom = varnolt::primitives::checked_mul(result.denom, x.denom);
    }
    return result;
}

}  // namespace varnolt_oracle
