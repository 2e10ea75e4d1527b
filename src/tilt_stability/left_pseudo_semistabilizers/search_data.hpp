#pragma once
// The record of one search, shared read-only by every stage below the driver.
#include <cstdint>

#include "chern_character/chern_character.hpp"
#include "ratio/ratio.hpp"
#include "tilt_stability/interrupt.hpp"
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
};

}  // namespace varnolt::tilt_stability::left_pseudo_semistabilizers
