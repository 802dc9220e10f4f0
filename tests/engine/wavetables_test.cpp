// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine/wavetables.h"

namespace velora::engine {
namespace {

const WaveTableSet& T() { return waveTables(); }

TEST(WaveTables, EveryLevelStartsAtZeroAndFamiliesShareTheirSine) {
    EXPECT_EQ(T().sineTable[0], 0.0f);
    for (int level = 0; level < kLevelCount; ++level) {
        EXPECT_EQ(T().fullWave(level, 0), 0.0f) << level;
        EXPECT_EQ(T().oddWave(level, 0), 0.0f) << level;
    }
    for (int i = 0; i < kTableSize; ++i) {
        ASSERT_EQ(T().fullWave(0, i), T().oddWave(0, i)) << i;
        // Harmonic 2 is even, so the odd family's level 1 adds nothing.
        ASSERT_EQ(T().oddWave(1, i), T().oddWave(0, i)) << i;
    }
}

TEST(WaveTables, NormalisedSoThatTheFullestLevelPeaksAtExactlyOne) {
    float peak = -1.0f, oddPeak = -1.0f;
    for (int i = 0; i < kTableSize; ++i) {
        peak = std::max(peak, T().fullWave(kLevelCount - 1, i));
        oddPeak = std::max(oddPeak, T().oddWave(kLevelCount - 1, i));
        for (int level = 0; level < kLevelCount; ++level) {
            ASSERT_LE(std::fabs(T().fullWave(level, i)), 1.0f);
            ASSERT_LE(std::fabs(T().oddWave(level, i)), 1.0f);
        }
    }
    EXPECT_EQ(peak, 1.0f);
    // The odd family's fullest level is about half as loud.
    EXPECT_NEAR(oddPeak, 0.5f, 0.1f);
}

TEST(WaveTables, SineEntriesAreTheRoundedDoubleSine) {
    for (int i : {1, 1000, 2048, 4096, 6000, 8191})
        EXPECT_EQ(T().sineTable[i], static_cast<float>(std::sin(i * 0.0007669903939428711))) << i;
    EXPECT_EQ(T().sineTable[2048], 1.0f);
}

TEST(WaveTables, LevelZeroIsTheSineOfAmplitudeTwoScaled) {
    // Level-0 sine peaks at 2/m where m is the fullest level's unscaled peak:
    // the ratio of the level-0 peak to the level-39 peak (1.0) is 2/m.
    const float levelZeroPeak = T().fullWave(0, 2048);
    EXPECT_GT(levelZeroPeak, 2.0f / 40.0f);
    EXPECT_LT(levelZeroPeak, 2.0f / 20.0f);
    for (int i : {100, 2048, 5000}) EXPECT_NEAR(T().fullWave(0, i), levelZeroPeak * T().sineTable[i], 1e-6f);
}

TEST(KeyFrequencies, StartAtKeyZeroAndHitConcertPitch) {
    KeyFrequencies f{};
    buildKeyFrequencies(f);
    EXPECT_EQ(f[0], static_cast<float>(8.175798915636872));
    EXPECT_EQ(f[69], 440.0f);
    for (int k = 1; k < 128; ++k) EXPECT_NEAR(f[k] / f[k - 1], 1.059463094359, 1e-6) << k;
}

TEST(LevelRule, PicksTheFullestLevelBelowNyquist) {
    EXPECT_EQ(selectLevel(kLevelLimit, 102.4f), 39);
    EXPECT_EQ(selectLevel(kLevelLimit, 50.0f), 39);
    EXPECT_EQ(selectLevel(kLevelLimit, 4096.0f), 1);
    EXPECT_EQ(selectLevel(kLevelLimit, 5000.0f), 0);
    EXPECT_EQ(selectLevel(kLevelLimit, 2048.0f), 2);
    KeyFrequencies f{};
    buildKeyFrequencies(f);
    const float key127 = f[127] * (8192.0f / 44100.0f);
    EXPECT_NEAR(key127, 2330.0f, 1.0f);
    EXPECT_EQ(selectLevel(kLevelLimit, key127), 1);
}

TEST(LevelRule, HostileIncrementsStayInsideTheLevels) {
    EXPECT_EQ(selectLevel(kLevelLimit, 0.0f), 39);
    EXPECT_EQ(selectLevel(kLevelLimit, -3.0f), 0);
    EXPECT_EQ(selectLevel(kLevelLimit, std::numeric_limits<float>::quiet_NaN()), 0);
    EXPECT_EQ(selectLevel(kLevelLimit, std::numeric_limits<float>::infinity()), 0);
    EXPECT_EQ(selectLevel(kLevelLimit, 1e-30f), 39);
}

TEST(PhaseAdvance, WrapsBelowTheTableLengthForAnyIncrement) {
    EXPECT_EQ(advancePhase(8000.0f, 500.0f), 308.0f);
    EXPECT_EQ(advancePhase(100.0f, 20000.0f), 3716.0f);
    EXPECT_EQ(advancePhase(100.0f, 50.5f), 150.5f);
    for (float inc : {-20.0f, -1e9f, 1e30f, -1e30f, std::numeric_limits<float>::infinity(),
                      std::numeric_limits<float>::quiet_NaN()}) {
        const float p = advancePhase(10.0f, inc);
        EXPECT_GE(p, 0.0f) << inc;
        EXPECT_LT(p, 8192.0f) << inc;
        EXPECT_GE(tablePosition(p), 0);
        EXPECT_LT(tablePosition(p), kTableSize);
    }
    EXPECT_EQ(advancePhase(10.0f, -20.0f), 8182.0f);
}

TEST(TableRead, ReadsTheEntryAtTheTruncatedPosition) {
    EXPECT_EQ(readWave(T(), WaveFamily::Full, 5, 100.99f), T().fullWave(5, 100));
    EXPECT_EQ(readWave(T(), WaveFamily::Odd, 39, 8191.5f), T().oddWave(39, 8191));
    EXPECT_EQ(wrappedTableIndex(-1.0f), 8191);
    EXPECT_EQ(wrappedTableIndex(std::numeric_limits<float>::quiet_NaN()), 0);
    EXPECT_EQ(wrappedTableIndex(8192.0f * 1.5f), 4096);
}

}  // namespace
}  // namespace velora::engine
