// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "engine_test_support.h"

namespace velora::engine {
namespace {

using test::preparedEngine;

TEST(OscillatorParameters, UseTheExactConstantsRoundedOnce) {
    auto e = preparedEngine();
    const float v = 0.37f;
    e->setParam(VoiceParam::ToneUnisonDiff, v);
    EXPECT_EQ(e->values().tone.ratioUp.load(),
              static_cast<float>(1.000012993812561 + 0.009999999776482582 * static_cast<double>(v)));
    EXPECT_EQ(e->values().tone.ratioDown.load(),
              static_cast<float>(0.9999799728393555 - 0.009999999776482582 * static_cast<double>(v)));
    e->setParam(VoiceParam::AttackUnisonDiff, v);
    EXPECT_EQ(e->values().attack.ratioUp.load(),
              static_cast<float>(1.000012993812561 + 0.01666666753590107 * static_cast<double>(v)));
    e->setParam(VoiceParam::AttackFreqMult, 1.0f);
    EXPECT_EQ(e->values().attackFreqMult.load(), 4.0f);
    e->setParam(VoiceParam::ToneWaveMix, 0.7f);
    EXPECT_EQ(e->values().tone.waveMix.load(), 0.7f);
    EXPECT_EQ(e->values().tone.waveMixComplement.load(), static_cast<float>(1.0 - static_cast<double>(0.7f)));
    e->setParam(VoiceParam::ToneLpMax, 1.0f);
    EXPECT_EQ(e->values().tone.lpMaxMult.load(), 24.0f);
    e->setParam(VoiceParam::AttackLpMin, 1.0f);
    EXPECT_EQ(e->values().attack.lpMinMult.load(), 9.0f);
}

TEST(OscillatorParameters, VibratoFrequencyIsRecomputedForANewRate) {
    auto e = preparedEngine();
    e->setParam(VoiceParam::VibratoFreq, 0.5f);
    const float f = static_cast<float>(19.99 * 0.5 + 0.01);
    EXPECT_EQ(e->values().vibratoFrequency.load(), f);
    e->setSampleRate(96000.0f);
    EXPECT_EQ(e->values().vibratoIncrement.load(),
              static_cast<float>(static_cast<double>(f) * static_cast<double>(8192.0f / 96000.0f)));
}

TEST(SwitchParameters, StoreOneOrZeroAndSustainFlushesTiny) {
    auto e = preparedEngine();
    e->setParam(VoiceParam::AftertouchOn, 0.3f);
    EXPECT_TRUE(e->aftertouchOn());
    EXPECT_EQ(e->storedValue(VoiceParam::AftertouchOn), 1.0f);
    e->setParam(VoiceParam::AftertouchOn, 0.0f);
    EXPECT_FALSE(e->aftertouchOn());
    e->setParam(VoiceParam::AttackUnderAdsr, -2.0f);
    EXPECT_EQ(e->values().attackUnderAdsr.load(), 1.0f);
    e->setParam(VoiceParam::ToneOn, 0.25f);  // stored unchanged
    EXPECT_EQ(e->values().tone.on.load(), 0.25f);
    e->setParam(VoiceParam::Sustain, 1e-30f);
    EXPECT_EQ(e->values().sustainLevel.load(), 0.0f);
    EXPECT_EQ(SynthEngine::sustainStoredValue(1e-30f), 0.0f);
    EXPECT_EQ(SynthEngine::sustainStoredValue(-1e-25f), 0.0f);
    EXPECT_EQ(SynthEngine::sustainStoredValue(1e-24f), 1e-24f);
    EXPECT_EQ(SynthEngine::sustainStoredValue(0.8f), 0.8f);
}

TEST(Lifecycle, ConstructionDefaultsBeforeTheHostSetsARate) {
    auto e = std::make_unique<SynthEngine>();
    EXPECT_EQ(e->sampleRate(), 44100.0f);
    EXPECT_EQ(e->voiceLimit(), 8);
    EXPECT_EQ(e->values().tableStepPerHz.load(), 8192.0f / 44100.0f);
    EXPECT_EQ(e->values().levelLimit.load(), 4096.0f);
    EXPECT_EQ(e->values().envelopeRate.load(), 44100);
    EXPECT_EQ(e->order().count(), 0);
    EXPECT_EQ(e->bendFactor(), 1.0f);
    for (int key : {0, 64, 127}) {
        const VoiceFilter& f = e->voice(key).toneFilter;
        EXPECT_EQ(f.cutoff, 0.0f);
        EXPECT_EQ(f.b0, 0.0f);
        EXPECT_EQ(f.a1, 0.0f);
        EXPECT_EQ(f.s1, 0.0f);
    }
    // Renders silence without a host rate or a program.
    e->noteOn(60, 100);
    for (float x : test::render(*e, 100)) EXPECT_TRUE(std::isfinite(x));
}

TEST(Lifecycle, OpenRecomputesFromTheStoredRate) {
    auto e = preparedEngine();
    e->setParam(VoiceParam::Delay1, 1.0f);
    e->storeSampleRate(48000.0f);
    EXPECT_EQ(e->values().tableStepPerHz.load(), 8192.0f / 44100.0f);
    e->open();
    EXPECT_EQ(e->values().tableStepPerHz.load(), 8192.0f / 48000.0f);
    EXPECT_EQ(e->values().envelopeRate.load(), 48000);
    EXPECT_EQ(e->voice(69).resonator.length, 109);
    EXPECT_EQ(e->voice(69).resonator.leftTap[0], 109);
}

TEST(Lifecycle, ResumeClearsFilterStatesAndLines) {
    auto e = preparedEngine();
    e->noteOn(60, 127);
    test::render(*e, 500);
    ASSERT_NE(e->voice(60).toneFilter.s1, 0.0f);
    e->resume();
    EXPECT_EQ(e->voice(60).toneFilter.s1, 0.0f);
    EXPECT_EQ(e->voice(60).attackFilter.s3, 0.0f);
    const VoiceResonator& r = e->voice(60).resonator;
    for (int i = 0; i < 8 * r.length; ++i) ASSERT_EQ(r.lines[i], 0.0f);
    EXPECT_TRUE(e->keySounding(60));  // voices keep sounding
}

}  // namespace
}  // namespace velora::engine
