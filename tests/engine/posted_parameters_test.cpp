// SPDX-License-Identifier: MIT
// Values posted while blocks may render, and resumes handed to the rendering
// thread, give the bits that setting them at once gives.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "engine_test_support.h"

namespace velora::engine {
namespace {

using test::FakeHooks;
using test::preparedEngine;

struct Change {
    VoiceParam param;
    float value;
};

// Every kind of derived state: per-voice filter coefficients, lengths held
// as pairs, per-key factors, resonator taps and gains, plain values.
const Change kChanges[] = {
    {VoiceParam::ToneLpRes, 0.8f},       {VoiceParam::AttackLpRes, 0.35f},   {VoiceParam::Release, 0.02f},
    {VoiceParam::Attack, 0.004f},        {VoiceParam::Decay, 0.3f},          {VoiceParam::Sustain, 0.4f},
    {VoiceParam::ToneAmpDecay, 0.9f},    {VoiceParam::AttackLpDecay, 0.6f},  {VoiceParam::Delay1, 0.7f},
    {VoiceParam::Delay2, 0.2f},          {VoiceParam::Feedback1, 0.95f},     {VoiceParam::VibratoFreq, 0.6f},
    {VoiceParam::VibratoDev, 0.5f},      {VoiceParam::ToneUnisonDiff, 0.5f}, {VoiceParam::AttackOn, 1.0f},
    {VoiceParam::AttackUnderAdsr, 0.3f}, {VoiceParam::NoiseMix, 0.25f},      {VoiceParam::VoiceLimit, 1.0f},
};

std::unique_ptr<SynthEngine> playingEngine() {
    auto e = preparedEngine();
    for (int key : {36, 48, 60, 64, 67, 71}) e->noteOn(key, 100);
    test::render(*e, 300);
    return e;
}

std::vector<float> renderBoth(SynthEngine& e, int count) {
    std::vector<float> l(count), r(count);
    FakeHooks hooks;
    e.renderBlock(l.data(), r.data(), count, hooks);
    l.insert(l.end(), r.begin(), r.end());
    return l;
}

TEST(PostedParameters, BetweenBlocksGiveTheBitsOfSettingAtOnce) {
    for (const Change& c : kChanges) {
        SCOPED_TRACE(static_cast<int>(c.param));
        auto atOnce = playingEngine();
        auto posted = playingEngine();
        atOnce->setParam(c.param, c.value);
        posted->postParam(c.param, c.value);
        // The value is there for displays at once ...
        EXPECT_EQ(posted->storedValue(c.param), atOnce->storedValue(c.param));
        const auto a = renderBoth(*atOnce, 700);
        const auto b = renderBoth(*posted, 700);
        // ... and what it derives before the first sample.
        ASSERT_EQ(a, b);
    }
}

TEST(PostedParameters, LeaveTheVoicesUntilTheRenderingThreadAppliesThem) {
    auto e = playingEngine();
    const float coefficient = e->voice(60).toneFilter.b0;
    const std::int32_t release = e->values().releaseLength.load();
    e->postParam(VoiceParam::ToneLpRes, 0.9f);
    e->postParam(VoiceParam::Release, 0.5f);
    EXPECT_EQ(e->voice(60).toneFilter.b0, coefficient);
    EXPECT_EQ(e->values().releaseLength.load(), release);
    e->applyPostedParams();
    EXPECT_NE(e->voice(60).toneFilter.b0, coefficient);
    EXPECT_EQ(e->values().releaseLength.load(), static_cast<std::int32_t>(0.5 * 44100) + 24);
    // Several posts of one parameter leave the state of the last.
    auto once = playingEngine();
    once->setParam(VoiceParam::Delay1, 0.1f);
    e->postParam(VoiceParam::Delay1, 0.9f);
    e->postParam(VoiceParam::Delay1, 0.1f);
    e->applyPostedParams();
    for (int s = 0; s < kResonatorStages; ++s)
        EXPECT_EQ(e->voice(40).resonator.leftTap[s], once->voice(40).resonator.leftTap[s]);
}

// A post made while a block renders (the hook stands for the host's other
// thread) acts from the next sample on, as a value set at once there does.
TEST(PostedParameters, InsideABlockActFromTheNextSample) {
    for (const Change& c : kChanges) {
        SCOPED_TRACE(static_cast<int>(c.param));
        auto atOnce = playingEngine();
        auto posted = playingEngine();
        FakeHooks setHooks, postHooks;
        setHooks.onSample = [&](int i) {
            if (i == 101) atOnce->setParam(c.param, c.value);
        };
        postHooks.onSample = [&](int i) {
            if (i == 100) posted->postParam(c.param, c.value);
        };
        ASSERT_EQ(test::render(*atOnce, setHooks, 400), test::render(*posted, postHooks, 400));
    }
}

TEST(ResumeHandOver, RendersTheBitsOfAResumeAtOnce) {
    struct Case {
        const char* name;
        float storedRate;  // 0: the rate stays, the lines are only cleared
    };
    for (const Case& c : {Case{"same rate", 0.0f}, Case{"stored rate", 48000.0f}, Case{"lower", 22050.0f}}) {
        SCOPED_TRACE(c.name);
        auto atOnce = playingEngine();
        auto handed = playingEngine();
        if (c.storedRate != 0.0f) {
            atOnce->storeSampleRate(c.storedRate);
            handed->storeSampleRate(c.storedRate);
        }
        atOnce->resume();
        handed->postResume();
        ASSERT_EQ(renderBoth(*atOnce, 600), renderBoth(*handed, 600));
        // A second resume frees the lines the first replaced.
        handed->postResume();
        atOnce->resume();
        ASSERT_EQ(renderBoth(*atOnce, 200), renderBoth(*handed, 200));
        EXPECT_EQ(handed->voice(0).resonator.length, atOnce->voice(0).resonator.length);
    }
}

TEST(ResumeHandOver, NotTakenIsWithdrawnByTheNextRebuild) {
    auto e = playingEngine();
    e->storeSampleRate(96000.0f);
    e->postResume();  // never rendered: open takes its lines back
    e->open();
    const std::int32_t lengthAt96k = e->voice(0).resonator.length;
    e->postResume();  // the lengths already fit: nothing new is made
    test::render(*e, 64);
    EXPECT_EQ(e->voice(0).resonator.length, lengthAt96k);
    EXPECT_GT(lengthAt96k, 96000 / 9);
}

}  // namespace
}  // namespace velora::engine
