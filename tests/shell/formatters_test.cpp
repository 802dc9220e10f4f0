// SPDX-License-Identifier: MIT
#include "shell/formatters.h"

#include <gtest/gtest.h>

#include <bit>
#include <climits>
#include <cstdint>
#include <cstring>
#include <string>

namespace velora {
namespace {

std::string value(float v) {
    char text[32] = "untouched";
    formatValue(v, text);
    return text;
}

std::string decibels(float v) {
    char text[32] = "untouched";
    formatDecibels(v, text);
    return text;
}

std::string integer(int v) {
    char text[32] = "untouched";
    formatInteger(v, text);
    return text;
}

TEST(FormatValue, TruncatesToEightCharacters) {
    EXPECT_EQ(value(0.5f), "0.500000");
    EXPECT_EQ(value(1.0f), "1.000000");
    EXPECT_EQ(value(20.0f), "20.00000");
    EXPECT_EQ(value(-1.0f), "-1.00000");
    EXPECT_EQ(value(0.7f), "0.699999");  // truncation, not rounding
    EXPECT_EQ(value(0.0f), "0.000000");
    EXPECT_EQ(value(1e-30f), "0.000000");
    EXPECT_EQ(value(-1e-30f), "-0.00000");
    EXPECT_EQ(value(1234.5f), "1234.500");
}

TEST(FormatValue, LeavesTextAloneWhenTheValueDoesNotFit) {
    EXPECT_EQ(value(100000000.0f), "untouched");
    EXPECT_EQ(value(-10000000.0f), "untouched");
    EXPECT_EQ(value(std::bit_cast<float>(0x7FC00000u)), "untouched");  // NaN
    EXPECT_EQ(value(std::bit_cast<float>(0x7F800000u)), "untouched");  // +inf
    EXPECT_EQ(value(std::bit_cast<float>(0xFF800000u)), "untouched");  // -inf
}

TEST(FormatValue, NeverWritesMoreThanNineBytesForAnyFloat) {
    std::uint32_t bits = 12345;
    for (int i = 0; i < 200000; ++i) {
        bits = bits * 1664525u + 1013904223u;
        char text[32];
        std::memset(text, 'x', sizeof text);
        text[0] = '\0';
        formatValue(std::bit_cast<float>(bits), text);
        ASSERT_LE(std::strlen(text), 8u) << std::hex << bits;
        ASSERT_EQ(text[9], 'x') << std::hex << bits;
    }
}

TEST(FormatDecibels, ShowsMinusInfinityAtZeroAndBelow) {
    EXPECT_EQ(decibels(0.0f), "-oo");
    EXPECT_EQ(decibels(-0.5f), "-oo");
    EXPECT_EQ(decibels(1.0f), "0.000000");
    EXPECT_EQ(decibels(0.5f), "-6.02059");
    EXPECT_EQ(decibels(3.9810717f), "12.00000");
}

TEST(FormatInteger, PadsToSevenAndCutsAtEight) {
    EXPECT_EQ(integer(7), "      7");
    EXPECT_EQ(integer(-5), "     -5");
    EXPECT_EQ(integer(99999999), "99999999");
    EXPECT_EQ(integer(100000000), "Huge!");
    EXPECT_EQ(integer(INT_MIN), "-2147483");
}

}  // namespace
}  // namespace velora
