#include "varnolt_walls/grouping/radix_sort.hpp"

#include <array>
#include <bit>
#include <memory>

namespace varnolt::walls::grouping {

namespace {

constexpr int digit_bits = 16;
constexpr std::size_t buckets = std::size_t{1} << digit_bits;
constexpr int passes = 64 / digit_bits;

using Counts = std::array<std::array<std::size_t, buckets>, passes>;

std::size_t digit(std::uint64_t key, int pass) { return (key >> (pass * digit_bits)) & (buckets - 1); }

}  // namespace

// One counting pass over all digits, then one scatter per digit that is not
// the same for every entry (those would leave the order as it is).
void radix_sort(std::vector<KeyedIndex>& entries, tilt_stability::InterruptPoll& interrupt) {
    const auto counts = std::make_unique<Counts>();
    for (const KeyedIndex& entry : entries) {
        interrupt.tick();
        for (int pass = 0; pass < passes; ++pass) ++(*counts)[pass][digit(entry.key, pass)];
    }
    std::vector<KeyedIndex> buffer(entries.size());
    for (int pass = 0; pass < passes; ++pass) {
        auto& starts = (*counts)[pass];
        if (!entries.empty() && starts[digit(entries.front().key, pass)] == entries.size()) continue;
        std::size_t next = 0;
        for (std::size_t& start : starts) next += std::exchange(start, next);
        for (const KeyedIndex& entry : entries) {
            interrupt.tick();
            buffer[starts[digit(entry.key, pass)]++] = entry;
        }
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
