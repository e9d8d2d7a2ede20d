// Numbers typed by users and read from settings.
#include "common/numbers.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <string>

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

// Out of range is judged by where the first significant digit stands, not by how the text looks.
TEST(Numbers, LongDigitStringsBeyondTheRange) {
    const std::string zeros330(330, '0'), zeros400(400, '0');
    EXPECT_EQ(toNumber("0." + zeros330 + "5"), 0.0); // 5e-331: below the smallest double
    EXPECT_EQ(toNumber("-0." + zeros330 + "5"), 0.0);
    EXPECT_TRUE(std::isinf(toNumber("1" + zeros400 + "e-10"))); // 1e390
    EXPECT_DOUBLE_EQ(toNumber("1" + zeros400 + "e-395"), 1e5);
    EXPECT_DOUBLE_EQ(toNumber("0." + zeros330 + "5e330"), 0.5);
    EXPECT_DOUBLE_EQ(toNumber(zeros400 + "1e-10"), 1e-10);
    EXPECT_EQ(toNumber("1e-330"), 0.0);
    EXPECT_TRUE(std::isinf(toNumber("0.000001e315")));
    EXPECT_EQ(toNumber("1e99999999999999999999999"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(toNumber("1e-99999999999999999999999"), 0.0);
    EXPECT_EQ(toInteger("1" + zeros400 + "e-10"), std::numeric_limits<std::int64_t>::max());
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
