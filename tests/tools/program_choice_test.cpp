// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "program_choice.h"
#include "text_format.h"
#include "vst/aeffect.h"

namespace velora::host {
namespace {

const std::vector<std::string> kNames = {"1: crystal pad", "2: Glass Lead", "3: gleaming cavern", "pad without number",
                                         "5: 1: odd"};

int found(const std::string& choice) {
    std::string error;
    return findProgram(choice, kNames, error).value_or(-1);
}

TEST(ProgramChoice, NumbersNamesAndPrefixes) {
    EXPECT_EQ(found("0"), 0);
    EXPECT_EQ(found("004"), 4);
    EXPECT_EQ(found("crystal pad"), 0);
    EXPECT_EQ(found("GLASS lead"), 1);
    EXPECT_EQ(found("2: glass lead"), 1);
    EXPECT_EQ(found("  3:gleaming cavern "), 2);
    EXPECT_EQ(found("pad without number"), 3);
    EXPECT_EQ(found("5: 1: odd"), 4);
    EXPECT_EQ(found("1: odd"), -1);  // only the first number is a prefix
}

TEST(ProgramChoice, UnknownChoicesExplainThemselves) {
    std::string error;
    EXPECT_FALSE(findProgram("5", kNames, error));
    EXPECT_NE(error.find("out of range 0..4"), std::string::npos);
    EXPECT_FALSE(findProgram("99999999999999999999", kNames, error));
    EXPECT_FALSE(findProgram("3: crystal pad", kNames, error));  // a wrong prefix does not match
    EXPECT_FALSE(findProgram("crystal", kNames, error));
    EXPECT_NE(error.find("no program named 'crystal'"), std::string::npos);
    EXPECT_FALSE(findProgram("", kNames, error));
}

TEST(ProgramChoice, FileNamesFromProgramNames) {
    EXPECT_EQ(programFileName(0, "1: crystal pad"), "01-crystal-pad.wav");
    EXPECT_EQ(programFileName(18, "19: synth string ensemb"), "19-synth-string-ensemb.wav");
    EXPECT_EQ(programFileName(63, "64: voices on the wind"), "64-voices-on-the-wind.wav");
    EXPECT_EQ(programFileName(2, "3: odd/name *here*"), "03-odd-name-here.wav");
    EXPECT_EQ(programFileName(99, "   "), "100-program.wav");
    EXPECT_EQ(programFileName(4, "../../etc"), "05-etc.wav");
}

TEST(TextFormat, PlatformIndependentNumbers) {
    EXPECT_EQ(shortestFloat(0.5f), "0.5");
    EXPECT_EQ(shortestFloat(0.06299213f), "0.06299213");
    EXPECT_EQ(shortestFloat(1e-5f), "1e-05");
    EXPECT_EQ(fixedDouble(-3.14159, 1), "-3.1");
    EXPECT_EQ(hex32(0x111), "0x00000111");
    EXPECT_EQ(fourCharText(vst::fourCC('K', 'r', 'V', 'l')), "KrVl");
    EXPECT_EQ(fourCharText(0x41000142), "A??B");
    EXPECT_EQ(decibelsText(1.0f), "0.0");
    EXPECT_EQ(decibelsText(0.5f), "-6.0");
    EXPECT_EQ(decibelsText(0.0f), "-inf");
}

}  // namespace
}  // namespace velora::host
