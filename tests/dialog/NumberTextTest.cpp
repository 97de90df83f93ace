#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "dialog/DialogLayer.h"

using dialog::numberText;

TEST(NumberText, ReadoutExamples) {
    EXPECT_EQ(numberText(10000.0 / 3841), "2.60348867482426");
    EXPECT_EQ(numberText(8000.0 / 16800), ".476190476190476");
    EXPECT_EQ(numberText(10000.0 / 16800), ".595238095238095");
    EXPECT_EQ(numberText(-8000), "-8000");
    EXPECT_EQ(numberText(1e20), "1E+20");
    EXPECT_EQ(numberText(0.05), ".05");
    EXPECT_EQ(numberText(123456789012345678.0), "1.23456789012346E+17");
    EXPECT_EQ(numberText(8000.0 / 4000), "2");
    EXPECT_EQ(numberText(277), "277");
    EXPECT_EQ(numberText(-1), "-1");
}

TEST(NumberText, ZeroSignAndNotANumber) {
    EXPECT_EQ(numberText(0.0), "0");
    EXPECT_EQ(numberText(-0.0), "-0");
    EXPECT_EQ(numberText(std::numeric_limits<double>::quiet_NaN()), "0");
    EXPECT_EQ(numberText(-std::numeric_limits<double>::quiet_NaN()), "0");
}

TEST(NumberText, RoundsAtFifteenDigitsByTheSixteenthAlone) {
    // 0.1 + 0.2 is 0.30000000000000004440...: the 16th digit is 0.
    EXPECT_EQ(numberText(0.1 + 0.2), ".3");
    // 1.0000000000000049 keeps 1.00000000000000 (16th digit 4).
    EXPECT_EQ(numberText(1.0000000000000049), "1");
    // 16th digit 5 rounds away from zero, whatever follows it.
    EXPECT_EQ(numberText(1.000000000000005), "1.00000000000001");
    EXPECT_EQ(numberText(-1.000000000000005), "-1.00000000000001");
    EXPECT_EQ(numberText(0.9999999999999999), "1");
    EXPECT_EQ(numberText(999999999999999.9), "1E+15");
    EXPECT_EQ(numberText(99999999999999.99), "100000000000000");
}

TEST(NumberText, PlainOrExponentForm) {
    EXPECT_EQ(numberText(1e14), "100000000000000");
    EXPECT_EQ(numberText(1e15), "1E+15");
    EXPECT_EQ(numberText(123456789012345.0), "123456789012345");
    EXPECT_EQ(numberText(1234567890123456.0), "1.23456789012346E+15");
    EXPECT_EQ(numberText(1e-15), ".000000000000001");
    EXPECT_EQ(numberText(1e-16), "1E-16");
    EXPECT_EQ(numberText(1.5e-16), "1.5E-16");
    EXPECT_EQ(numberText(-2.5e-300), "-2.5E-300");
    EXPECT_EQ(numberText(std::numeric_limits<double>::max()), "1.79769313486232E+308");
    EXPECT_EQ(numberText(std::numeric_limits<double>::denorm_min()), "4.94065645841247E-324");
    // 15 digits after the point but the fraction needs 16 places: exponent form.
    EXPECT_EQ(numberText(0.0123456789012345), "1.23456789012345E-2");
    EXPECT_EQ(numberText(0.123456789012345), ".123456789012345");
}
