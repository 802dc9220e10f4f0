// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/noise.h"
#include "engine_test_support.h"
#include "support/bit_hash.h"

namespace velora::engine {
namespace {

using test::FakeHooks;

using test::preparedEngine;

int firstNonZero(const std::vector<float>& v) {
    for (std::size_t i = 0; i < v.size(); ++i)
        if (v[i] != 0.0f) return static_cast<int>(i);
    return -1;
}

TEST(RenderBlock, EmptyBlocksAndMissingBuffersTouchNothing) {
    auto e = preparedEngine();
    e->noteOn(60, 100);
    e->setParam(VoiceParam::NoiseMix, 0.5f);
    FakeHooks hooks;
    float l = 7.0f, r = 7.0f;
    for (int count : {0, -1, -1000}) e->renderBlock(&l, &r, count, hooks);
    e->renderBlock(nullptr, &r, 4, hooks);
    e->renderBlock(&l, nullptr, 4, hooks);
    EXPECT_EQ(hooks.dispatchCalls, 0);
    EXPECT_TRUE(hooks.tempoChecks.empty());
    EXPECT_EQ(l, 7.0f);
    EXPECT_EQ(e->voice(60).adsr.attackCount, 0);
    EXPECT_EQ(e->noiseState(), 1u);
    EXPECT_EQ(e->filterTick(), 4);
}

TEST(RenderBlock, ANoteStartedByAnEventRendersInThatSample) {
    auto e = preparedEngine();
    // An earlier note leaves the phases away from position 0, where every
    // table reads 0; it has ended before the block below.
    e->setParam(VoiceParam::Release, 0.0f);
    e->noteOn(69, 127);
    test::render(*e, 100);
    e->noteOff(69);
    test::render(*e, 200);
    ASSERT_FALSE(e->keySounding(69));
    FakeHooks hooks;
    hooks.onSample = [&](int i) {
        if (i == 4) e->noteOn(69, 127);
    };
    const auto out = test::render(*e, hooks, 20);
    EXPECT_EQ(hooks.dispatchCalls, 20);
    EXPECT_EQ(e->voice(69).adsr.attackCount, 16);  // samples 4..19
    // Rendered in sample 4 (a cutoff step after program selection); the
    // resonator's four one-sample stages pass it to the mix four samples later.
    EXPECT_EQ(firstNonZero(out), 4 + 4);
    EXPECT_EQ(firstNonZero(hooks.mixR), 4 + 4);
}

TEST(RenderBlock, SwitchedOffLayersLetVoicesRingOut) {
    auto e = preparedEngine();
    e->setParam(VoiceParam::Feedback1, 0.9f);
    e->setParam(VoiceParam::Feedback2, 0.9f);
    e->setParam(VoiceParam::Delay1, 0.5f);
    e->noteOn(57, 120);
    test::render(*e, 2000);
    e->setParam(VoiceParam::ToneOn, 0.0f);
    e->setParam(VoiceParam::AttackOn, 0.0f);
    const int decayCount = e->voice(57).adsr.decayCount;
    const auto out = test::render(*e, 200);
    EXPECT_NE(firstNonZero(out), -1);
    EXPECT_GT(e->voice(57).adsr.decayCount, decayCount);  // envelopes still run
    EXPECT_TRUE(e->keySounding(57));
}

TEST(RenderBlock, TailStageAddsNothingNewAndStandsStill) {
    auto e = preparedEngine();
    e->setParam(VoiceParam::Release, 0.0f);
    e->setParam(VoiceParam::Delay1, 1.0f);
    e->setParam(VoiceParam::Delay2, 1.0f);
    e->noteOn(40, 100);
    test::render(*e, 200);
    e->noteOff(40);
    test::render(*e, 25);
    ASSERT_EQ(e->voice(40).adsr.stage, Stage::Tail);
    const auto phases = e->voice(40).tonePhase;
    const float cutoff = e->voice(40).toneCutoff.decaying;
    const int levelPos = e->voice(40).levelPos;
    test::render(*e, 100);
    EXPECT_EQ(e->voice(40).tonePhase, phases);
    EXPECT_EQ(e->voice(40).toneCutoff.decaying, cutoff);
    EXPECT_EQ(e->voice(40).levelPos, levelPos);
}

TEST(RenderBlock, CountersRunTheTempoCheckEvery128Samples) {
    auto e = std::make_unique<SynthEngine>();
    FakeHooks hooks;
    test::render(*e, hooks, 300);
    EXPECT_EQ(hooks.tempoChecks, (std::vector<int>{0, 128, 256}));
    e->resetVoices();  // program selection restarts both counters
    FakeHooks after;
    test::render(*e, after, 300);
    EXPECT_EQ(after.tempoChecks, (std::vector<int>{128, 256}));
}

TEST(RenderBlock, CutoffStepsEveryFourthSampleAfterProgramSelection) {
    auto e = preparedEngine();  // ends with a program selection: tick 4
    e->noteOn(60, 127);
    std::vector<float> cutoffs;
    FakeHooks hooks;
    hooks.onSample = [&](int) { cutoffs.push_back(e->voice(60).toneFilter.cutoff); };
    test::render(*e, hooks, 10);
    cutoffs.push_back(e->voice(60).toneFilter.cutoff);
    // cutoffs[i] is the value before sample i.
    EXPECT_EQ(cutoffs[0], 0.0f);
    EXPECT_EQ(cutoffs[4], 0.0f);
    EXPECT_NE(cutoffs[5], 0.0f);
    EXPECT_EQ(cutoffs[8], cutoffs[5]);
    EXPECT_NE(cutoffs[9], cutoffs[8]);
}

TEST(Noise, GrowsWithTheKeyAndVanishesAtKeyOne) {
    for (int r : {0, 1000, 16384, 32767}) {
        const float key0 = attackNoise(0.5f, r, 0);
        EXPECT_EQ(attackNoise(0.5f, r, 1), 0.0f);
        EXPECT_EQ(attackNoise(0.5f, r, 2), -key0);
        EXPECT_EQ(std::fabs(attackNoise(0.5f, r, 65)), 64.0f * std::fabs(key0));
    }
    EXPECT_EQ(attackNoise(1.0f, 0, 0), -0.0078125f);
}

TEST(Noise, GeneratorIsTheClassicLcgSeededWithOne) {
    NoiseGenerator g;
    std::uint32_t state = 1;
    for (int i = 0; i < 1000; ++i) {
        state = state * 214013u + 2531011u;
        ASSERT_EQ(g.next(), static_cast<int>((state >> 16) & 0x7FFF));
    }
    NoiseGenerator first;
    EXPECT_EQ(first.next(), 41);  // the first value of the classic generator
}

TEST(Noise, OneDrawPerRenderingAttackLayerAndNoneWithoutNoise) {
    auto e = preparedEngine();
    e->setParam(VoiceParam::VoiceLimit, 1.0f);
    for (int key : {0, 1, 2, 65}) e->noteOn(key, 100);
    test::render(*e, 10);
    EXPECT_EQ(e->noiseState(), 1u);
    e->setParam(VoiceParam::NoiseMix, 0.3f);
    test::render(*e, 10);
    NoiseGenerator expected;
    for (int i = 0; i < 40; ++i) expected.next();
    EXPECT_EQ(e->noiseState(), expected.state());
    e->setParam(VoiceParam::AttackOn, 0.0f);
    test::render(*e, 10);
    EXPECT_EQ(e->noiseState(), expected.state());
}

TEST(Noise, KeyOneSoundsTheSameWithAndWithoutNoise) {
    auto quiet = preparedEngine();
    auto noisy = preparedEngine();
    noisy->setParam(VoiceParam::NoiseMix, 1.0f);
    quiet->noteOn(1, 100);
    noisy->noteOn(1, 100);
    EXPECT_TRUE(velora::test::sameBits(test::render(*quiet, 500), test::render(*noisy, 500)));
    quiet->noteOn(2, 100);
    noisy->noteOn(2, 100);
    EXPECT_NE(test::render(*quiet, 500), test::render(*noisy, 500));
}

TEST(Vibrato, DepthZeroLeavesThePitchAndFrequenciesWrap) {
    auto e = preparedEngine();
    e->setParam(VoiceParam::VibratoFreq, 1.0f);
    EXPECT_EQ(e->values().vibratoFrequency.load(), 20.0f);
    EXPECT_EQ(e->values().vibratoIncrement.load(), static_cast<float>(20.0 * static_cast<double>(8192.0f / 44100.0f)));
    e->noteOn(60, 100);
    test::render(*e, 50);
    EXPECT_EQ(e->vibratoPhase(), 0.0f);  // no depth: the phase stands
    e->setParam(VoiceParam::VibratoDev, 1.0f);
    EXPECT_EQ(e->values().vibratoDepth.load(), static_cast<float>(0.025));
    test::render(*e, 50);
    EXPECT_GT(e->vibratoPhase(), 0.0f);
    // A below-audio-rate host makes the increment exceed the table: reduced.
    e->setSampleRate(10.0f);
    EXPECT_LT(e->values().vibratoIncrement.load(), 8192.0f);
    EXPECT_GE(e->values().vibratoIncrement.load(), 0.0f);
}

TEST(Vibrato, HostileFrequenciesNeitherHangNorLeaveTheTable) {
    auto e = preparedEngine();
    e->setParam(VoiceParam::VibratoDev, 1.0f);
    e->noteOn(60, 100);
    for (float v : {1e30f, -1e30f, -1.0f, std::nanf(""), INFINITY, -INFINITY, 3.4e38f}) {
        e->setParam(VoiceParam::VibratoFreq, v);
        test::render(*e, 16);
        EXPECT_GE(e->vibratoPhase(), 0.0f) << v;
        EXPECT_LT(e->vibratoPhase(), 8192.0f) << v;
    }
}

TEST(RenderBlock, AnyParameterValueKeepsTheEngineInsideItsMemory) {
    const float hostile[] = {std::nanf(""), INFINITY, -INFINITY, 1e30f, -1e30f, -1.0f, 2.0f, 1e-30f};
    for (float v : hostile) {
        auto e = preparedEngine();
        for (int p = 0; p < kVoiceParamCount; ++p) e->setParam(static_cast<VoiceParam>(p), v);
        e->setParam(static_cast<VoiceParam>(-1), v);
        e->setParam(static_cast<VoiceParam>(999), v);
        for (int key : {0, 1, 60, 127}) e->noteOn(key, 127);
        e->pitchBend(0);
        test::render(*e, 300);
        for (int key : {0, 60}) e->noteOff(key);
        test::render(*e, 300);
    }
}

TEST(RenderBlock, OrdinaryValuesKeepTheOutputFinite) {
    auto e = preparedEngine();
    for (int p = 0; p < kVoiceParamCount; ++p) e->setParam(static_cast<VoiceParam>(p), 1.0f);
    for (int key = 0; key < 128; key += 3) e->noteOn(key, 127);
    for (float x : test::render(*e, 4000)) ASSERT_TRUE(std::isfinite(x));
}

// Guards the output bits of a heavy scenario: any change here must be a
// deliberate change of the sound.
TEST(RenderBlock, HeavyScenarioRendersTheSameBits) {
    auto e = preparedEngine();
    using P = VoiceParam;
    const std::pair<P, float> heavy[] = {
        {P::ToneUnisonDiff, 0.3f}, {P::ToneUnisonAmp, 0.6f}, {P::AttackUnisonDiff, 0.4f}, {P::AttackUnisonAmp, 0.5f},
        {P::ToneWaveMix, 0.3f},    {P::AttackWaveMix, 0.7f}, {P::AttackFreqMult, 0.25f},  {P::NoiseMix, 0.2f},
        {P::VibratoFreq, 0.3f},    {P::VibratoDev, 0.5f},    {P::Delay1, 0.3f},           {P::Feedback1, 0.5f},
        {P::Delay2, 0.6f},         {P::Feedback2, 0.4f},     {P::AttackUnderAdsr, 1.0f},  {P::Release, 0.01f},
        {P::ToneAmpMin, 0.3f},     {P::VoiceLimit, 0.1f}};
    for (const auto& [p, v] : heavy) e->setParam(p, v);
    FakeHooks hooks;
    hooks.onSample = [&](int i) {
        if (i % 300 == 0) e->noteOn(36 + (i / 300) * 5 % 60, 60 + i % 67);
        if (i % 300 == 150 && i > 2000) e->noteOff(36 + ((i - 1500) / 300) * 5 % 60);
        if (i == 4000) e->pitchBend(90);
    };
    std::vector<float> l(6000), r(6000);
    e->renderBlock(l.data(), r.data(), 6000, hooks);
    velora::test::BitHash hash;
    for (std::size_t i = 0; i < l.size(); ++i) {
        hash.add(l[i]);
        hash.add(r[i]);
    }
    EXPECT_EQ(hash.value(), 0xe029ca4c7854cf98ull) << std::hex << hash.value();
}

}  // namespace
}  // namespace velora::engine
