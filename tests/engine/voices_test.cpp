// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "engine_test_support.h"

namespace velora::engine {
namespace {

using test::preparedEngine;

std::vector<int> orderOf(const SynthEngine& e) {
    std::vector<int> keys;
    for (int i = 0; i < e.order().count(); ++i) keys.push_back(e.order().slot(e.order().head() + i));
    return keys;
}

TEST(VoiceLimit, TruncatesTheStoredValue) {
    auto e = preparedEngine();
    e->setParam(VoiceParam::VoiceLimit, floatFromBits(0x3D810204u));
    EXPECT_EQ(e->voiceLimit(), 7);
    e->setParam(VoiceParam::VoiceLimit, 0.0629929f);
    EXPECT_EQ(e->voiceLimit(), 8);
    e->setParam(VoiceParam::VoiceLimit, 1e9f);
    EXPECT_EQ(e->voiceLimit(), 2147483647);
    e->setParam(VoiceParam::VoiceLimit, std::nanf(""));
    EXPECT_EQ(e->voiceLimit(), 0);
}

TEST(Stealing, NinthTenthAndEleventhKeysWithALimitOfEight) {
    auto e = preparedEngine();
    for (int key = 60; key < 68; ++key) e->noteOn(key, 100);
    EXPECT_EQ(e->order().count(), 8);
    e->noteOn(68, 100);
    EXPECT_EQ(e->voice(60).adsr.stage, Stage::Release);
    EXPECT_TRUE(e->keySounding(60));
    EXPECT_EQ(e->stolenNewest(), 60);
    EXPECT_EQ(e->order().count(), 8);
    e->noteOn(69, 100);
    EXPECT_EQ(e->voice(61).adsr.stage, Stage::Release);
    EXPECT_EQ(e->voice(60).adsr.stage, Stage::Release);
    EXPECT_EQ(e->stolenOlder(), 60);
    e->noteOn(70, 100);
    EXPECT_EQ(e->voice(62).adsr.stage, Stage::Release);
    EXPECT_EQ(e->voice(60).adsr.stage, Stage::Fade);  // the earlier of two stolen is cut
    EXPECT_EQ(e->voice(61).adsr.stage, Stage::Release);
    EXPECT_EQ(e->stolenNewest(), 62);
    EXPECT_EQ(e->stolenOlder(), 61);
    EXPECT_EQ(orderOf(*e), (std::vector<int>{63, 64, 65, 66, 67, 68, 69, 70}));
    // The faded voice ends after its 24 fade values and leaves no trace.
    test::render(*e, 25);
    EXPECT_FALSE(e->keySounding(60));
}

TEST(Stealing, RetriggerOfAListedKeyNeverSteals) {
    auto e = preparedEngine();
    for (int key = 60; key < 68; ++key) e->noteOn(key, 100);
    e->noteOn(62, 90);
    EXPECT_EQ(e->order().count(), 8);
    EXPECT_EQ(e->stolenNewest(), -1);
    for (int key = 60; key < 68; ++key) EXPECT_EQ(e->voice(key).adsr.stage, Stage::Attack) << key;
    EXPECT_EQ(orderOf(*e), (std::vector<int>{60, 61, 63, 64, 65, 66, 67, 62}));
}

TEST(Stealing, SilencedKeysAreNotListedTwiceWhenStruckAgain) {
    auto e = preparedEngine();
    e->setParam(VoiceParam::VoiceLimit, 1e9f);
    for (int key = 0; key < 128; ++key) e->noteOn(key, 100);
    EXPECT_EQ(e->order().count(), 128);
    e->silenceAll();
    for (int round = 0; round < 2; ++round)
        for (int key = 0; key < 128; ++key) e->noteOn(key, 100);
    EXPECT_EQ(e->order().count(), 128);
    std::vector<int> seen(128, 0);
    for (int key : orderOf(*e)) ++seen[key];
    for (int key = 0; key < 128; ++key) EXPECT_EQ(seen[key], 1) << key;
}

TEST(Stealing, ALimitOfZeroOrBelowStealsNothingFromAnEmptyOrder) {
    auto e = preparedEngine();
    for (float v : {0.0f, -1.0f, -1e30f}) {
        e->resetVoices();
        e->setParam(VoiceParam::VoiceLimit, v);
        e->noteOn(60, 100);
        EXPECT_TRUE(e->keySounding(60));
        EXPECT_EQ(e->stolenNewest(), -1);
        EXPECT_EQ(e->order().count(), 1);
        e->noteOn(61, 100);  // now the order holds 60, which is released
        EXPECT_EQ(e->voice(60).adsr.stage, Stage::Release);
        EXPECT_EQ(orderOf(*e), std::vector<int>{61});
    }
}

TEST(Stealing, ARestartedSilencedKeyIsNotFadedAsAnOldSteal) {
    auto e = preparedEngine();
    e->setParam(VoiceParam::VoiceLimit, 1.0f / 127.0f + 1e-6f);  // one voice
    e->noteOn(60, 100);
    e->noteOn(61, 100);  // steals 60
    e->silenceAll();
    e->noteOn(60, 100);  // fresh note of the stolen key; steals 61
    e->noteOn(62, 100);  // would fade the old steal of 60
    EXPECT_NE(e->voice(60).adsr.stage, Stage::Fade);
}

TEST(VoiceOrderRing, RemovalInTheMiddleOfAWrappedRingKeepsTheOrder) {
    auto e = preparedEngine();
    e->setParam(VoiceParam::VoiceLimit, 1.0f);
    e->restartOrderAt(125);
    for (int key : {10, 11, 12, 13, 14}) e->noteOn(key, 100);
    EXPECT_EQ(e->order().head(), 125);
    EXPECT_EQ(e->order().tail(), 1);
    e->endVoice(12);  // at position 127
    EXPECT_EQ(orderOf(*e), (std::vector<int>{10, 11, 13, 14}));
    EXPECT_EQ(e->order().count(), 4);
    e->endVoice(13);  // at position 0, past the wrap
    EXPECT_EQ(orderOf(*e), (std::vector<int>{10, 11, 14}));
    e->endVoice(99);  // not listed: nothing changes
    EXPECT_EQ(e->order().count(), 3);
}

TEST(NoteOff, HonoursThePedalAndIgnoresReleasedVoices) {
    auto e = preparedEngine();
    e->noteOn(60, 100);
    test::render(*e, 10);
    e->noteOff(60);
    const float start = e->voice(60).adsr.releaseStart;
    test::render(*e, 10);
    e->noteOff(60);  // in release: nothing
    EXPECT_EQ(e->voice(60).adsr.releaseStart, start);
    EXPECT_EQ(e->voice(60).adsr.releaseCount, 10);
}

TEST(SustainPedal, HoldsReleasedKeysUntilPedalUp) {
    auto e = preparedEngine();
    e->sustainController(64);  // exactly 64: neither down nor up
    EXPECT_FALSE(e->sustainDown());
    e->sustainController(100);
    EXPECT_TRUE(e->sustainDown());
    e->noteOn(60, 100);
    e->noteOn(62, 100);
    e->noteOff(60);
    e->noteOff(62);
    EXPECT_EQ(e->voice(60).adsr.stage, Stage::Attack);
    EXPECT_TRUE(e->voice(60).sustainHeld);
    e->noteOn(62, 100);  // struck again and still held
    e->sustainController(64);
    EXPECT_TRUE(e->sustainDown());
    e->sustainController(0);
    EXPECT_FALSE(e->sustainDown());
    EXPECT_EQ(e->voice(60).adsr.stage, Stage::Release);
    EXPECT_EQ(e->voice(62).adsr.stage, Stage::Attack);
    EXPECT_FALSE(e->voice(60).sustainHeld);
}

TEST(LevelRamp, SameVelocityHoldsAndANewOneMovesOverSixtyFourSamples) {
    auto e = preparedEngine();
    e->noteOn(60, 100);
    EXPECT_EQ(e->voice(60).levelPos, 64);
    EXPECT_EQ(e->voice(60).gainLevel(), 100.0f);
    test::render(*e, 5);
    e->noteOn(60, 100);
    EXPECT_EQ(e->voice(60).levelPos, 64);
    e->noteOn(60, 50);
    EXPECT_EQ(e->voice(60).levelPos, 0);
    EXPECT_EQ(e->voice(60).gainLevel(), 100.0f);
    test::render(*e, 63);
    EXPECT_EQ(e->voice(60).gainLevel(), 100.0f + (50.0f - 100.0f) * 63.0f * 0.015625f);
    test::render(*e, 1);
    EXPECT_EQ(e->voice(60).gainLevel(), 50.0f);
}

TEST(LevelRamp, PolyPressureFortyOnVelocityHundred) {
    auto e = preparedEngine();
    e->noteOn(60, 100);
    e->startLevelRamp(60, e->levelBase(60) + 40.0f);
    EXPECT_EQ(e->voice(60).levelPos, 0);
    test::render(*e, 64);
    EXPECT_EQ(e->voice(60).gainLevel(), 140.0f);
    EXPECT_EQ(e->voice(60).gainLevel() * e->voice(60).levelScale, 140.0f * (1.0f / 127.0f));
    // Ramps even to the level it already has, and works on silent keys.
    e->startLevelRamp(60, 140.0f);
    EXPECT_EQ(e->voice(60).levelPos, 0);
    e->startLevelRamp(5, 30.0f);
    EXPECT_EQ(e->voice(5).levelRamp[64], 30.0f);
}

TEST(Voices, NoteOnSetsIncrementsFromTheRateInForceAndKeepsThem) {
    auto e = preparedEngine();
    e->noteOn(69, 100);
    const float inc = 440.0f * (8192.0f / 44100.0f);
    EXPECT_EQ(e->voice(69).toneBaseIncrement, inc);
    EXPECT_EQ(e->voice(69).attackBaseIncrement, inc);
    e->setSampleRate(48000.0f);
    EXPECT_EQ(e->voice(69).toneBaseIncrement, inc);
}

TEST(Voices, OutOfRangeKeysAreIgnored) {
    auto e = preparedEngine();
    for (int key : {-1, 128, 1000, -100000}) {
        e->noteOn(key, 100);
        e->noteOff(key);
        e->startLevelRamp(key, 3.0f);
        e->releaseVoice(key);
        e->fadeVoice(key);
        e->endVoice(key);
        EXPECT_FALSE(e->keySounding(key));
        EXPECT_EQ(e->levelBase(key), 0.0f);
    }
    EXPECT_EQ(e->order().count(), 0);
}

TEST(Voices, ResetClearsVoicesButKeepsThePedal) {
    auto e = preparedEngine();
    e->sustainController(127);
    e->noteOn(60, 100);
    e->pitchBend(0);
    test::render(*e, 7);
    e->resetVoices();
    EXPECT_FALSE(e->keySounding(60));
    EXPECT_EQ(e->voice(60).adsr.output, 0.0f);
    EXPECT_EQ(e->voice(60).tonePhase[0], 0.0f);
    EXPECT_EQ(e->order().count(), 0);
    EXPECT_EQ(e->order().head(), 1);
    EXPECT_EQ(e->bendFactor(), 1.0f);
    EXPECT_EQ(e->filterTick(), 4);
    EXPECT_EQ(e->tempoTick(), 128);
    EXPECT_TRUE(e->sustainDown());
}

TEST(PitchBend, UsesTheMostSignificantByte) {
    auto e = preparedEngine();
    e->pitchBend(64);
    EXPECT_EQ(e->bendFactor(), 1.0f);
    e->pitchBend(0);
    EXPECT_EQ(e->bendFactor(), floatFromBits(0x3F60A652u));
    e->pitchBend(127);
    EXPECT_NEAR(e->bendFactor(), 1.12055f, 1e-5f);
    e->pitchBend(200);
    EXPECT_NEAR(e->bendFactor(), 1.12055f, 1e-5f);
}

}  // namespace
}  // namespace velora::engine
