#include "tilt_stability/walls/radix_sort.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <memory>
#include <span>

namespace varnolt::tilt_stability::walls {

namespace {

constexpr int digit_bits = 16;
constexpr std::size_t buckets = std::size_t{1} << digit_bits;
constexpr int most_passes = 64 / digit_bits;

using Counts = std::array<std::array<std::size_t, buckets>, most_passes>;

// Calls each(word) on every word, polling interrupt once per block of words:
// the inner loop makes no call, so it keeps its values in registers.
template <typename Each>
void for_each_polled(std::span<const std::uint64_t> words, tilt_stability::InterruptPoll& interrupt, Each&& each) {
    constexpr std::size_t block = 64;
    for (std::size_t first = 0; first < words.size(); first += block) {
        interrupt.tick();
        for (const std::uint64_t word : words.subspan(first, std::min(block, words.size() - first))) each(word);
    }
}

}  // namespace

// One counting pass over all digits, then one scatter per digit that is not
// the same for every word (those would leave the order as it is).
void radix_sort(std::vector<std::uint64_t>& words, int low_bit, tilt_stability::InterruptPoll& interrupt) {
    const int passes = (64 - low_bit + digit_bits - 1) / digit_bits;
    const auto digit = [low_bit](std::uint64_t word, int pass) {
        return (word >> (low_bit + pass * digit_bits)) & (buckets - 1);
    };
    const auto counts = std::make_unique<Counts>();
    for_each_polled(words, interrupt, [&](std::uint64_t word) {
        for (int pass = 0; pass < passes; ++pass) ++(*counts)[pass][digit(word, pass)];
    });
    std::vector<std::uint64_t> buffer(words.size());
    for (int pass = 0; pass < passes; ++pass) {
        auto& starts = (*counts)[pass];
        if (!words.empty() && starts[digit(words.front(), pass)] == words.size()) continue;
        std::size_t next = 0;
        for (std::size_t& start : starts) next += std::exchange(start, next);
        for_each_polled(words, interrupt, [&](std::uint64_t word) { buffer[starts[digit(word, pass)]++] = word; });
        words.swap(buffer);
    }
}

// Flipping every bit of a negative double and only the sign bit of a positive
// one turns the order of the values into the unsigned order of the bits.
std::uint64_t ordered_bits(double x) {
    const auto bits = std::bit_cast<std::uint64_t>(x);
    return (bits >> 63) != 0 ? ~bits : bits | (std::uint64_t{1} << 63);
}

}  // namespace varnolt::tilt_stability::walls
