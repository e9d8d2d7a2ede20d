// Numbers typed by users and read from settings.
#include "common/numbers.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using aquine::toInteger;
using aquine::toNumber;

TEST(Numbers, TextToNumber) {
    EXPECT_DOUBLE_EQ(toNumber("5.9"), 5.9);
    EXPECT_DOUBLE_EQ(toNumber("-3.7"), -3.7);
    EXPECT_DOUBLE_EQ(toNumber(" 12"), 12);
    EXPECT_DOUBLE_EQ(toNumber("\t+4"), 4);
    EXPECT_DOUBLE_EQ(toNumber("12px"), 12);
    EXPECT_DOUBLE_EQ(toNumber(".5"), 0.5);
    EXPECT_DOUBLE_EQ(toNumber("5."), 5);
    EXPECT_DOUBLE_EQ(toNumber("1e3"), 1000);
    EXPECT_DOUBLE_EQ(toNumber("2e"), 2);
    EXPECT_DOUBLE_EQ(toNumber("abc"), 0);
    EXPECT_DOUBLE_EQ(toNumber(""), 0);
    EXPECT_DOUBLE_EQ(toNumber("-"), 0);
    EXPECT_DOUBLE_EQ(toNumber("."), 0);
    // Words strtod would take are not numbers here.
    EXPECT_DOUBLE_EQ(toNumber("inf"), 0);
    EXPECT_DOUBLE_EQ(toNumber("nan"), 0);
    EXPECT_DOUBLE_EQ(toNumber("0x10"), 0);
    EXPECT_TRUE(std::isinf(toNumber("1e999")));
    EXPECT_DOUBLE_EQ(toNumber("1e-999"), 0);
}

TEST(Numbers, IntegersTruncateTowardZeroAndClamp) {
    EXPECT_EQ(toInteger("5.9"), 5);
    EXPECT_EQ(toInteger("-3.7"), -3);
    EXPECT_EQ(toInteger("abc"), 0);
    EXPECT_EQ(toInteger(""), 0);
    EXPECT_EQ(toInteger(" 12"), 12);
    EXPECT_EQ(toInteger("1e30"), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(toInteger("-1e30"), std::numeric_limits<std::int64_t>::min());
}
