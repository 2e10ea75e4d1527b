#pragma once
// The record of one search, shared read-only by every stage below the driver.
#include <cstdint>
#include <vector>

#include "chern_character/chern_character.hpp"
#include "ratio/ratio.hpp"
#include "tilt_stability/interrupt.hpp"
#include "utils/checked.hpp"
#include "utils/message.hpp"

namespace varnolt::tilt_stability::left_pseudo_semistabilizers {

using chern_character::ChernChar;
using ratio::Ratio;
using utils::Message;
using utils::Outcome;

// The candidates a search stage found, in the search's order.
using Candidates = std::vector<ChernChar<2>>;

struct LeftSearchData {
    // The inverse of m modulo n, or the message that says why there is none;
    // stored as it came, read only when n ≠ 1.
    Outcome<std::int64_t> m_inverse;
    const ChernChar<2>& v;
    Ratio beta;  // β₋(v) = m/n
    InterruptPoll& interrupt;

    // X = v.c·n − v.r·m, n times the twisted ch1 of v: q = k/n ranges over 0 < k < X.
    std::int64_t x() const {
        return utils::checked_sub(utils::checked_mul(v.c.coeff, beta.denom),
                                  utils::checked_mul(v.r, beta.numer));
    }
};

}  // namespace varnolt::tilt_stability::left_pseudo_semistabilizers
