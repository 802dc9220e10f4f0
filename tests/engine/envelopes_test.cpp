// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "engine/envelopes.h"
#include "engine_test_support.h"

namespace velora::engine {
namespace {

EnvelopeTimes shortTimes() {
    EnvelopeTimes t;
    t.attackLength = t.decayLength = t.releaseLength = 24;
    t.releaseLengthF = 24.0f;
    t.sustainLevel = 0.5f;
    t.tailLength = 5;
    return t;
}

TEST(Adsr, AttackOfZeroLastsTwentyFourSamplesThenDecayStartsAtOne) {
    Adsr a;
    startAdsr(a, 24.0f, 24.0f, 0.5f);
    const EnvelopeTimes t = shortTimes();
    for (int i = 0; i < 24; ++i) {
        const AdsrResult r = stepAdsr(a, t);
        ASSERT_EQ(r.output, static_cast<float>(i) * (1.0f / 24.0f)) << i;
        ASSERT_EQ(a.stage, Stage::Attack);
    }
    EXPECT_EQ(stepAdsr(a, t).output, 1.0f);
    EXPECT_EQ(a.stage, Stage::Decay);
    // The decay falls linearly to the sustain level, then holds it live.
    for (int i = 1; i < 24; ++i) stepAdsr(a, t);
    EXPECT_EQ(a.stage, Stage::Decay);
    EXPECT_EQ(stepAdsr(a, t).output, 0.5f);
    EXPECT_EQ(a.stage, Stage::Sustain);
    EnvelopeTimes louder = t;
    louder.sustainLevel = 0.75f;
    EXPECT_EQ(stepAdsr(a, louder).output, 0.75f);
}

TEST(Adsr, ReleaseRunsIntoTheTailAndEndsAfterTheTailLength) {
    Adsr a;
    a.output = 0.8f;
    a.stage = Stage::Sustain;
    a.releaseStart = a.output;
    a.stage = Stage::Release;
    const EnvelopeTimes t = shortTimes();
    for (int i = 0; i < 24; ++i) {
        const AdsrResult r = stepAdsr(a, t);
        const float fraction = 1.0f - static_cast<float>(i) / 24.0f;
        ASSERT_EQ(r.releaseFraction, fraction);
        ASSERT_EQ(r.output, fraction * 0.8f);
    }
    for (int i = 0; i < t.tailLength; ++i) {
        const AdsrResult r = stepAdsr(a, t);
        ASSERT_EQ(a.stage, Stage::Tail);
        ASSERT_EQ(r.output, 0.0f);
        ASSERT_EQ(r.end, AdsrEnd::None);
    }
    EXPECT_EQ(stepAdsr(a, t).end, AdsrEnd::EndVoice);
}

TEST(Adsr, FadeGivesTwentyFourValuesThenEnds) {
    Adsr a;
    a.output = 0.6f;
    a.stage = Stage::Decay;
    a.releaseStart = a.output;
    a.stage = Stage::Fade;
    const EnvelopeTimes t = shortTimes();
    for (int i = 0; i < 24; ++i) {
        const AdsrResult r = stepAdsr(a, t);
        ASSERT_EQ(r.output, (1.0f - static_cast<float>(i) / 24.0f) * 0.6f) << i;
        ASSERT_EQ(r.end, AdsrEnd::None);
    }
    EXPECT_EQ(stepAdsr(a, t).end, AdsrEnd::EndVoice);
}

TEST(Adsr, LengthsAreReadLiveDuringTheAttack) {
    Adsr a;
    startAdsr(a, 24.0f, 24.0f, 0.5f);
    EnvelopeTimes t = shortTimes();
    t.attackLength = 48;  // lengthened after note-on: climbs past 1
    float last = 0.0f;
    for (int i = 0; i < 48; ++i) last = stepAdsr(a, t).output;
    EXPECT_GT(last, 1.0f);
    EXPECT_EQ(a.stage, Stage::Attack);
}

TEST(AmpEnvelope, RisesInTwentyThreeStepsThenDecaysTowardsMin) {
    Adsr a;
    startAdsr(a, 24.0f, 24.0f, 0.5f);
    AmpEnvelope amp;
    startAmp(amp, 1.0f, 0.25f);
    const EnvelopeTimes t = shortTimes();
    for (int i = 1; i < 24; ++i) {
        const AdsrResult r = stepAdsr(a, t);
        ASSERT_EQ(stepAmp(amp, a, r.releaseFraction, 0.5f, 0.25f), static_cast<float>(i) * (1.0f * kOneOver24)) << i;
    }
    AdsrResult r = stepAdsr(a, t);
    EXPECT_EQ(stepAmp(amp, a, r.releaseFraction, 0.5f, 0.25f), 0.75f * 0.5f + 0.25f);
    r = stepAdsr(a, t);
    EXPECT_EQ(stepAmp(amp, a, r.releaseFraction, 0.5f, 0.25f), 0.75f * 0.25f + 0.25f);
}

TEST(AmpEnvelope, EqualMaxAndMinHoldsMaxWhateverTheDecay) {
    Adsr a;
    startAdsr(a, 24.0f, 24.0f, 0.5f);
    AmpEnvelope amp;
    startAmp(amp, 0.7f, 0.7f);
    const EnvelopeTimes t = shortTimes();
    float out = 0.0f;
    for (int i = 0; i < 200; ++i) out = stepAmp(amp, a, stepAdsr(a, t).releaseFraction, 0.9f, 0.7f);
    EXPECT_EQ(out, 0.7f);
}

TEST(AmpEnvelope, ReleaseScalesAndTailSilences) {
    Adsr a;
    a.stage = Stage::Release;
    a.releaseStart = 1.0f;
    AmpEnvelope amp;
    amp.decaying = 0.5f;
    const EnvelopeTimes t = shortTimes();
    stepAdsr(a, t);
    AdsrResult r = stepAdsr(a, t);  // release counter 1
    EXPECT_EQ(stepAmp(amp, a, r.releaseFraction, 1.0f, 0.1f), (0.5f + 0.1f) * (1.0f - 1.0f / 24.0f));
    a.stage = Stage::Tail;
    EXPECT_EQ(stepAmp(amp, a, 0.0f, 1.0f, 0.1f), 0.0f);
}

TEST(EngineEnvelopes, NoteOffEndsTheVoiceAfterReleaseAndTail) {
    auto e = std::make_unique<SynthEngine>();
    test::prepare(*e);
    e->setParam(VoiceParam::Release, 0.0f);
    e->noteOn(60, 100);
    test::render(*e, 100);
    e->noteOff(60);
    EXPECT_EQ(e->voice(60).adsr.stage, Stage::Release);
    const int tail = e->values().tailLength.load();
    EXPECT_EQ(tail, 2);  // both delays at 0: first taps 1, plus 1
    test::render(*e, 24);
    EXPECT_EQ(e->voice(60).adsr.stage, Stage::Release);
    test::render(*e, 1 + tail - 1);
    EXPECT_EQ(e->voice(60).adsr.stage, Stage::Tail);
    EXPECT_TRUE(e->keySounding(60));
    test::render(*e, 1);
    EXPECT_FALSE(e->keySounding(60));
    EXPECT_EQ(e->voice(60).adsr.stage, Stage::Ended);
    EXPECT_EQ(e->order().count(), 0);
}

TEST(EngineEnvelopes, RetriggerStartsTheAttackFromThePresentReleaseValue) {
    auto e = std::make_unique<SynthEngine>();
    test::prepare(*e);
    e->noteOn(60, 100);
    test::render(*e, 3000);
    e->noteOff(60);
    test::render(*e, 500);
    const float present = e->voice(60).adsr.output;
    ASSERT_GT(present, 0.0f);
    e->noteOn(60, 100);
    EXPECT_EQ(e->voice(60).adsr.stage, Stage::Attack);
    EXPECT_EQ(e->voice(60).adsr.start, present);
    EXPECT_EQ(e->voice(60).adsr.attackStep, (1.0f - present) / 24.0f);
    test::render(*e, 1);
    EXPECT_EQ(e->voice(60).adsr.output, present);
}

TEST(EngineEnvelopes, SegmentLengthsFollowTheSampleRate) {
    auto e = std::make_unique<SynthEngine>();
    test::prepare(*e);
    e->setParam(VoiceParam::Attack, 0.5f);
    EXPECT_EQ(e->values().attackLength.load(), 22050 + 24);
    e->setSampleRate(48000.0f);
    EXPECT_EQ(e->values().attackLength.load(), 24000 + 24);
    EXPECT_EQ(e->values().decayLength.load(), static_cast<int>(0.1f * 48000.0) + 24);
    EXPECT_EQ(e->values().releaseLengthF.load(), static_cast<float>(static_cast<int>(0.2f * 48000.0) + 24));
}

TEST(EngineEnvelopes, HostileLengthsStayAtLeastTwentyFourAndFinite) {
    auto e = std::make_unique<SynthEngine>();
    test::prepare(*e);
    for (float v : {std::nanf(""), 1e30f, -1e30f, -1.0f, INFINITY, -INFINITY}) {
        e->setParam(VoiceParam::Attack, v);
        e->setParam(VoiceParam::Release, v);
        EXPECT_GE(e->values().attackLength.load(), 24) << v;
        EXPECT_GE(e->values().releaseLength.load(), 24) << v;
        EXPECT_TRUE(std::isfinite(e->values().releaseLengthF.load()));
    }
}

TEST(EngineEnvelopes, DecayFactorsAreCalibratedAt48k) {
    auto e = std::make_unique<SynthEngine>();
    test::prepare(*e, 48000.0f);
    e->setParam(VoiceParam::ToneAmpDecay, 1.0f);
    const double k127 = 127 * 0.0078125 * 0.9900000095367432 + 0.009999999776482582;
    EXPECT_EQ(e->values().tone.ampDecay[127].load(), static_cast<float>(1.0 - k127 * 9.999999747378752e-05));
    e->setParam(VoiceParam::ToneAmpDecay, 0.0f);
    EXPECT_EQ(e->values().tone.ampDecay[127].load(), 1.0f);
    // At another rate the factor is raised to 48000 / rate.
    e->setSampleRate(96000.0f);
    e->setParam(VoiceParam::AttackAmpDecay, 0.5f);
    const double base =
        1.0 - 0.5 * (10 * 0.0078125 * 0.9900000095367432 + 0.009999999776482582) * 0.00039999998989515007;
    EXPECT_EQ(e->values().attack.ampDecay[10].load(), static_cast<float>(std::pow(base, 0.5)));
    e->setParam(VoiceParam::ToneLpDecay, 1.0f);
    const double lpBase = 1.0 - (64 * 0.0078125 * 0.9998999834060669 + 9.999999747378752e-05) * 9.999999747378752e-05;
    EXPECT_EQ(e->values().tone.lpDecay[64].load(), static_cast<float>(std::pow(lpBase, 2.0)));
}

TEST(EngineEnvelopes, HostileDecayValuesGiveBoundedFactors) {
    auto e = std::make_unique<SynthEngine>();
    test::prepare(*e, 44100.0f);
    for (float v : {std::nanf(""), 1e30f, -1e30f, -5.0f, 1e6f}) {
        e->setParam(VoiceParam::ToneAmpDecay, v);
        e->setParam(VoiceParam::AttackLpDecay, v);
        for (int k = 0; k < 128; ++k) {
            const float f = e->values().tone.ampDecay[k].load();
            ASSERT_TRUE(f >= 0.0f && f <= 1.0f) << v << " key " << k;
            const float g = e->values().attack.lpDecay[k].load();
            ASSERT_TRUE(g >= 0.0f && g <= 1.0f) << v << " key " << k;
        }
    }
}

}  // namespace
}  // namespace velora::engine
