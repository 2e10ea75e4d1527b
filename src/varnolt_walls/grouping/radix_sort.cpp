#include "varnolt_walls/grouping/radix_sort.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <memory>
#include <span>

namespace varnolt::walls::grouping {

namespace {

constexpr int digit_bits = 16;
constexpr std::size_t buckets = std::size_t{1} << digit_bits;
constexpr int passes = (64 + digit_bits - 1) / digit_bits;

using Counts = std::array<std::array<std::size_t, buckets>, passes>;

std::size_t digit(std::uint64_t key, int pass) { return (key >> (pass * digit_bits)) & (buckets - 1); }

// Calls each(entry) on every entry, polling interrupt once per block of
// entries: the inner loop makes no call, so it keeps its values in registers.
template <typename Each>
void for_each_polled(std::span<const KeyedIndex> entries, tilt_stability::InterruptPoll& interrupt, Each&& each) {
    constexpr std::size_t block = 64;
    for (std::size_t first = 0; first < entries.size(); first += block) {
        interrupt.tick();
        for (const KeyedIndex& entry : entries.subspan(first, std::min(block, entries.size() - first))) each(entry);
    }
}

}  // namespace

// One counting pass over all digits, then one scatter per digit that is not
// the same for every entry (those would leave the order as it is).
void radix_sort(std::vector<KeyedIndex>& entries, tilt_stability::InterruptPoll& interrupt) {
    const auto counts = std::make_unique<Counts>();
    for_each_polled(entries, interrupt, [&](const KeyedIndex& entry) {
        for (int pass = 0; pass < passes; ++pass) ++(*counts)[pass][digit(entry.key, pass)];
    });
    std::vector<KeyedIndex> buffer(entries.size());
    for (int pass = 0; pass < passes; ++pass) {
        auto& starts = (*counts)[pass];
        if (!entries.empty() && starts[digit(entries.front().key, pass)] == entries.size()) continue;
        std::size_t next = 0;
        for (std::size_t& start : starts) next += std::exchange(start, next);
        for_each_polled(entries, interrupt, [&](const KeyedIndex& entry) { buffer[starts[digit(entry.key, pass)]++] = entry; });
        entries.swap(buffer);
    }
}

// Flipping every bit of a negative double and only the sign bit of a positive
// one turns the order of the values into the unsigned order of the bits.
std::uint64_t ordered_bits(double x) {
    const auto bits = std::bit_cast<std::uint64_t>(x);
    return (bits >> 63) != 0 ? ~bits : bits | (std::uint64_t{1} << 63);
}

}  // namespace varnolt::walls::grouping
