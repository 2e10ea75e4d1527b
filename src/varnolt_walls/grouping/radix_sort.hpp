#pragma once
// A stable sort of (key, index) entries by their 64-bit key: least significant
// digit first, 16 bits at a time. For the millions of entries of the walls of
// a large search it takes a fraction of a comparison sort's time.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "tilt_stability/interrupt.hpp"

namespace varnolt::walls::grouping {

struct KeyedIndex {
    std::uint64_t key;
    std::size_t index;
};

// Sorts entries by key; equal keys keep their order. Holds a second buffer of
// the same size while it runs. Polls interrupt.
void radix_sort(std::vector<KeyedIndex>& entries, tilt_stability::InterruptPoll& interrupt);

// A key whose unsigned order is the order of the doubles, finite or not
// (−0 just below +0).
std::uint64_t ordered_bits(double x);

}  // namespace varnolt::walls::grouping
