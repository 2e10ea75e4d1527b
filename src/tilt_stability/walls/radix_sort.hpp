#pragma once
// A stable sort of 64-bit words by their high bits: least significant digit
// first, 16 bits at a time. The callers pack a key above an index in each word,
// so that a sort entry takes 8 bytes. For the millions of entries of the walls
// of a large search it takes a fraction of a comparison sort's time.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "tilt_stability/interrupt.hpp"

namespace varnolt::tilt_stability::walls {

// Sorts words by their bits low_bit ... 63 (0 <= low_bit < 64); words equal
// there keep their order. Holds a second buffer of the same size while it
// runs. Polls interrupt.
void radix_sort(std::vector<std::uint64_t>& words, int low_bit, tilt_stability::InterruptPoll& interrupt);

// A key whose unsigned order is the order of the doubles, finite or not
// (−0 just below +0).
std::uint64_t ordered_bits(double x);

}  // namespace varnolt::tilt_stability::walls
