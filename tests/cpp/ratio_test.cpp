#include <gtest/gtest.h>

#include "ratio/ratio.hpp"

using varnolt::ratio::Ratio;

TEST(Ratio, NewReduces) { EXPECT_EQ(Ratio::new_(4, -6), (Ratio{-2, 3})); }
