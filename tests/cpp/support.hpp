#pragma once
// Shared helpers of the core tests: raw Ratio literals and stop capture.
#include <cstdint>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "ratio/format.hpp"
#include "ratio/ratio.hpp"
#include "primitives/stop.hpp"

namespace varnolt::test {

using ratio::Ratio;

constexpr std::int64_t int_min = std::numeric_limits<std::int64_t>::min();
constexpr std::int64_t int_max = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t two_pow(int k) { return std::int64_t{1} << k; }

// A Ratio taken field by field, without normalisation: expected values are
// written already reduced, so a comparison checks both fields exactly.
constexpr Ratio Q(std::int64_t numer, std::int64_t denom = 1) { return {numer, denom}; }

// The message of the Stop raised by f, or "<no stop>" when it returns.
template <typename F>
std::string stop_message(F&& f) {
    try { f(); } catch (const primitives::Stop& stop) { return stop.message(); }
    return "<no stop>";
}

template <typename Row>
std::string row_name(const testing::TestParamInfo<Row>& info) { return info.param.name; }

}  // namespace varnolt::test
