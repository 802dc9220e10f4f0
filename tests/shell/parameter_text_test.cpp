// SPDX-License-Identifier: MIT
#include "shell/parameter_text.h"

#include <gtest/gtest.h>

namespace velora {
namespace {

TEST(LeadingNumber, ReadsOnlyPlainDecimalSyntax) {
    EXPECT_FLOAT_EQ(leadingNumber("  7.5 seconds"), 7.5f);
    EXPECT_FLOAT_EQ(leadingNumber("-1e3x"), -1000.0f);
    EXPECT_FLOAT_EQ(leadingNumber(".5"), 0.5f);
    EXPECT_FLOAT_EQ(leadingNumber("1e"), 1.0f);
    EXPECT_FLOAT_EQ(leadingNumber("+2.e1"), 20.0f);
    EXPECT_EQ(leadingNumber("abc"), 0.0f);
    EXPECT_EQ(leadingNumber("."), 0.0f);
    EXPECT_EQ(leadingNumber("0x10"), 0.0f);
    EXPECT_EQ(leadingNumber("inf"), 0.0f);
    EXPECT_EQ(leadingNumber("nan"), 0.0f);
    EXPECT_EQ(leadingNumber(""), 0.0f);
}

TEST(ParameterFromText, MapsEngineeringRangesIncludingTheirBounds) {
    float v = -1.0f;
    ASSERT_TRUE(parameterFromText(12, "4", v));  // "A Freq Mult"
    EXPECT_EQ(v, static_cast<float>(3.0 * static_cast<double>(0.33333334f)));
    ASSERT_TRUE(parameterFromText(12, "1", v));
    EXPECT_EQ(v, 0.0f);
    ASSERT_TRUE(parameterFromText(16, "0.02", v));  // "Vib. Freq"
    EXPECT_EQ(v, static_cast<float>((static_cast<double>(0.02f) - 0.01) * static_cast<double>(0.050025012f)));
    ASSERT_TRUE(parameterFromText(16, "0.01", v));  // the float nearest 0.01 lies below the range
    EXPECT_EQ(v, 0.01f);
    ASSERT_TRUE(parameterFromText(16, "20", v));
    EXPECT_NEAR(v, 1.0f, 1e-6f);
    ASSERT_TRUE(parameterFromText(78, "7.5", v));  // "Reverb Time": above 1, still set
    EXPECT_EQ(v, static_cast<float>((7.5 - 0.1) * static_cast<double>(0.20408162f)));
    ASSERT_TRUE(parameterFromText(88, "0.5", v));  // "Dist. Wet" -1..1 wins over 0..1
    EXPECT_EQ(v, 0.75f);
    ASSERT_TRUE(parameterFromText(88, "-1", v));
    EXPECT_EQ(v, 0.0f);
}

TEST(ParameterFromText, FallsBackToTheUnitRangeAndRefusesTheRest) {
    float v = -1.0f;
    ASSERT_TRUE(parameterFromText(78, "0.05", v));  // below 0.1 s: taken as a raw value
    EXPECT_EQ(v, 0.05f);
    ASSERT_TRUE(parameterFromText(12, "0.5", v));
    EXPECT_EQ(v, 0.5f);
    ASSERT_TRUE(parameterFromText(0, "no number", v));
    EXPECT_EQ(v, 0.0f);
    v = 0.25f;
    EXPECT_FALSE(parameterFromText(12, "5", v));
    EXPECT_FALSE(parameterFromText(0, "1.5", v));
    EXPECT_FALSE(parameterFromText(0, "-0.1", v));
    EXPECT_FALSE(parameterFromText(78, "1e999", v));
    EXPECT_EQ(v, 0.25f);
}

}  // namespace
}  // namespace velora
