// The portable 128-bit classes and overflow checks against their model, the
// compiler's __int128 and __builtin_*_overflow, on every pair of a table of
// values at the edges of 64 and 128 bits.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "primitives/portable_overflow.hpp"

namespace varnolt::test {
namespace {

using native = __int128;
using unative = unsigned __int128;
using primitives::Int128;

template <bool S>
unative bits(Int128<S> x) { return (unative{x.high()} << 64) | x.low(); }
template <bool S>
Int128<S> from_bits(unative x) { return Int128<S>::from_halves(std::uint64_t(x >> 64), std::uint64_t(x)); }

// Both signs of magnitudes around 2^32, 2^63, 2^64 and 2^127, and random values.
std::vector<unative> table() {
    const unative one = 1;
    std::vector<unative> values{one << 127};
    for (const unative size : {unative{0}, one, unative{3}, unative{10}, (one << 32) + 7, (one << 63) - 1, one << 63,
                               (one << 63) + 1, (one << 64) - 1, one << 64, (one << 64) * 3 + 5, (one << 100) + 99,
                               (one << 126) + (one << 70), (one << 127) - 1})
        values.insert(values.end(), {size, -size});
    std::mt19937_64 random(22);
    for (int i = 0; i < 6; ++i) values.push_back((unative{random()} << 64) | random());
    return values;
}

// Every operator and overflow check of Int128<S> on a and b, with the model's
// unsigned results (two's complement) as the expected bits.
template <bool S>
void agree(unative x, unative y) {
    using Model = std::conditional_t<S, native, unative>;
    const Model a = Model(x), b = Model(y);
    const Int128<S> p = from_bits<S>(x), q = from_bits<S>(y);
    SCOPED_TRACE(testing::Message() << std::hex << std::uint64_t(x >> 64) << ':' << std::uint64_t(x) << ", "
                                    << std::uint64_t(y >> 64) << ':' << std::uint64_t(y));
    EXPECT_EQ(bits(p + q), x + y);
    EXPECT_EQ(bits(p - q), x - y);
    EXPECT_EQ(bits(p * q), x * y);
    EXPECT_EQ(bits(p & q), x & y);
    EXPECT_EQ(bits(p | q), x | y);
    EXPECT_EQ(bits(p ^ q), x ^ y);
    EXPECT_EQ((p <=> q) < 0, a < b);
    EXPECT_EQ(p == q, a == b);
    if (b != 0 && !(S && y == ~unative{0} && x == unative{1} << 127)) {
        EXPECT_EQ(bits(p / q), unative(a / b));
        EXPECT_EQ(bits(p % q), unative(a % b));
    }
    Int128<S> got;
    Model want;
    EXPECT_EQ(primitives::portable::add_overflows(p, q, got), __builtin_add_overflow(a, b, &want));
    EXPECT_EQ(bits(got), x + y);  // overflowed or not: the wrapped sum
    EXPECT_EQ(primitives::portable::sub_overflows(p, q, got), __builtin_sub_overflow(a, b, &want));
    const bool overflows = __builtin_mul_overflow(a, b, &want);
    EXPECT_EQ(primitives::portable::mul_overflows(p, q, got), overflows);
    if (!overflows) {
        EXPECT_EQ(bits(got), unative(want));
    }
}

TEST(PortableInt128, OperatorsAndOverflowChecksAgreeWithInt128) {
    const std::vector<unative> values = table();
    for (const unative x : values)
        for (const unative y : values) {
            agree<true>(x, y);
            agree<false>(x, y);
        }
}

TEST(PortableInt128, ShiftsAndConversionsAgreeWithInt128) {
    for (const unative x : table()) {
        const native a = native(x);
        const Int128<true> p = from_bits<true>(x);
        for (const int shift : {0, 1, 31, 63, 64, 65, 100, 127}) {
            EXPECT_EQ(bits(p << shift), x << shift);
            EXPECT_EQ(bits(p >> shift), unative(a >> shift));
            EXPECT_EQ(bits(from_bits<false>(x) >> shift), x >> shift);
        }
        EXPECT_EQ(static_cast<std::int64_t>(p), static_cast<std::int64_t>(a));
        const double value = static_cast<double>(a);
        EXPECT_LE(std::abs(static_cast<double>(p) - value), std::abs(value) * 0x1p-52);
        if (std::abs(value) < 0x1p127) {
            EXPECT_EQ(bits(Int128<true>(value)), unative(native(value)));
        }
    }
}

TEST(PortableInt128, SixtyFourBitOverflowChecksAgreeWithTheBuiltins) {
    const std::int64_t int_min = INT64_MIN, int_max = INT64_MAX;
    const std::int64_t values[] = {0, 1, -1, 2, -3, 3037000499, 3037000500, -3037000500, int_max, int_min, int_min + 1};
    for (const std::int64_t a : values)
        for (const std::int64_t b : values) {
            std::int64_t got, want;
            EXPECT_EQ(primitives::portable::add_overflows(a, b, got), __builtin_add_overflow(a, b, &want)) << a << ", " << b;
            EXPECT_EQ(primitives::portable::sub_overflows(a, b, got), __builtin_sub_overflow(a, b, &want)) << a << ", " << b;
            EXPECT_EQ(primitives::portable::mul_overflows(a, b, got), __builtin_mul_overflow(a, b, &want)) << a << ", " << b;
            if (!__builtin_mul_overflow(a, b, &want)) {
                EXPECT_EQ(got, want);
            }
            std::uint64_t u_got, u_want;
            const auto u = std::uint64_t(a), v = std::uint64_t(b);
            EXPECT_EQ(primitives::portable::mul_overflows(u, v, u_got), __builtin_mul_overflow(u, v, &u_want)) << u << ", " << v;
            EXPECT_EQ(primitives::portable::sub_overflows(u, v, u_got), __builtin_sub_overflow(u, v, &u_want)) << u << ", " << v;
        }
}

}  // namespace
}  // namespace varnolt::test
