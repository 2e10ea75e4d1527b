#include "ratio/gcd.hpp"

namespace varnolt::ratio {

namespace {

constexpr uwide max_u64 = std::numeric_limits<std::uint64_t>::max();

// x·y for x, y < 2^128, as 256 bits: high and low halves.
struct Product256 {
    uwide high;
    uwide low;

    friend auto operator<=>(const Product256&, const Product256&) = default;
};

Product256 multiply(uwide x, uwide y) {
    const auto x0 = static_cast<std::uint64_t>(x), x1 = static_cast<std::uint64_t>(x >> 64);
    const auto y0 = static_cast<std::uint64_t>(y), y1 = static_cast<std::uint64_t>(y >> 64);
    const uwide p00 = uwide{x0} * y0, p01 = uwide{x0} * y1, p10 = uwide{x1} * y0, p11 = uwide{x1} * y1;
    // Below 3·2^64: the sum of three values below 2^64.
    const uwide middle = (p00 >> 64) + static_cast<std::uint64_t>(p01) + static_cast<std::uint64_t>(p10);
    return {p11 + (p01 >> 64) + (p10 >> 64) + (middle >> 64), (middle << 64) | static_cast<std::uint64_t>(p00)};
}

}  // namespace

std::strong_ordering compare_products(uwide a, uwide b, uwide c, uwide d) {
    if (a <= max_u64 && b <= max_u64 && c <= max_u64 && d <= max_u64) return a * b <=> c * d;
    return multiply(a, b) <=> multiply(c, d);
}

}  // namespace varnolt::ratio
