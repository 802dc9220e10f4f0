// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/voice_resonator.h"
#include "engine_test_support.h"

namespace velora::engine {
namespace {

void setTaps(VoiceResonator& r, float d1, float d2) {
    const auto l = resonatorTaps(r.length, d1);
    const auto rt = resonatorTaps(r.length, d2);
    for (int j = 0; j < kResonatorStages; ++j) {
        r.leftTap[j] = l[j];
        r.rightTap[j] = rt[j];
    }
}

// Feeds a unit impulse and returns the stereo response.
std::vector<StereoSample> impulseResponse(VoiceResonator& r, const StageGains& gains, int count, float g = 1.0f) {
    std::vector<StereoSample> out;
    for (int i = 0; i < count; ++i) out.push_back(processResonator(r, gains, i == 0 ? 1.0f : 0.0f, g, false));
    return out;
}

TEST(VoiceResonator, ZeroDelaysPassAnImpulseAfterFourSamples) {
    VoiceResonator r;
    r.allocate(50);
    setTaps(r, 0.0f, 0.0f);
    const StageGains none{};
    std::vector<StereoSample> out;
    for (int i = 0; i < 8; ++i)
        out.push_back(processResonator(r, none, i == 0 ? 1.0f : 0.0f, i == 3 ? 0.5f : 0.9f, false));
    for (int i = 0; i < 8; ++i) {
        // Scaled by the g of the sample in which it passed stage 4.
        EXPECT_EQ(out[i].left, i == 4 ? 0.5f : 0.0f) << i;
        EXPECT_EQ(out[i].right, i == 4 ? 0.5f : 0.0f) << i;
    }
}

TEST(VoiceResonator, DelayOfOneMakesTheFirstStageOnePeriodLong) {
    const int n = 40;
    VoiceResonator r;
    r.allocate(n);
    setTaps(r, 1.0f, 0.0f);
    EXPECT_EQ(r.leftTap[0], n);
    // The right output zig-zags through L1, R2, L3, R4; the left one through
    // R1, L2, R3, L4.
    const int rightDelay = r.leftTap[0] + r.rightTap[1] + r.leftTap[2] + r.rightTap[3];
    const int leftDelay = r.rightTap[0] + r.leftTap[1] + r.rightTap[2] + r.leftTap[3];
    const auto out = impulseResponse(r, StageGains{}, 200);
    for (int i = 0; i < 200; ++i) {
        EXPECT_EQ(out[i].right, i == rightDelay ? 1.0f : 0.0f) << i;
        EXPECT_EQ(out[i].left, i == leftDelay ? 1.0f : 0.0f) << i;
    }
}

TEST(VoiceResonator, TapsFollowTheSpreadFactorInExtendedPrecision) {
    const auto taps = resonatorTaps(5394, 0.5f);
    long double p = 5393.0L * 0.5L;
    for (int j = 0; j < 4; ++j) {
        EXPECT_EQ(taps[j], static_cast<int>(p) + 1) << j;
        p *= static_cast<long double>(floatFromBits(0x3F7EB852u));
    }
    EXPECT_EQ(resonatorTaps(5394, 0.0f), (std::array<std::int32_t, 4>{1, 1, 1, 1}));
}

TEST(VoiceResonator, HostileDelaysKeepEveryTapInsideTheLine) {
    for (float d : {2.0f, -1.0f, std::nanf(""), 1e30f, -1e30f, INFINITY}) {
        for (int n : {1, 3, 100}) {
            for (std::int32_t t : resonatorTaps(n, d)) {
                EXPECT_GE(t, 1) << d;
                EXPECT_LE(t, n) << d;
            }
        }
    }
    EXPECT_EQ(resonatorTaps(100, 2.0f)[0], 100);
    EXPECT_EQ(resonatorTaps(100, -1.0f)[0], 1);
}

TEST(VoiceResonator, FeedbackCrossesBetweenTheSides) {
    VoiceResonator r;
    r.allocate(4);
    setTaps(r, 0.0f, 0.0f);
    ResonatorGains shared;
    shared.left[0] = 0.5f;  // left line of stage 1 feeds its right line
    const auto out = impulseResponse(r, loadGains(shared), 12);
    // Direct paths arrive at sample 4; the fed-back copy one sample later.
    EXPECT_EQ(out[4].left, 1.0f);
    EXPECT_EQ(out[5].left, 0.5f);
    EXPECT_EQ(out[5].right, 0.0f);
}

TEST(VoiceResonator, ReallocationClearsAndKeepsTapsInRange) {
    VoiceResonator r;
    r.allocate(100);
    setTaps(r, 1.0f, 1.0f);
    processResonator(r, StageGains{}, 1.0f, 1.0f, false);
    r.allocate(10);
    EXPECT_EQ(r.length, 10);
    EXPECT_EQ(r.position, 0);
    for (int j = 0; j < 4; ++j) EXPECT_LE(r.leftTap[j], 10);
    for (int i = 0; i < 80; ++i) EXPECT_EQ(r.lines[i], 0.0f);
    r.allocate(0);
    EXPECT_EQ(r.length, 1);  // a line of at least one sample
    r.allocate(1 << 30);
    EXPECT_EQ(r.length, kMaxResonatorLength);
}

TEST(VoiceResonator, FadeScalesTheOutputByG) {
    VoiceResonator r;
    r.allocate(8);
    setTaps(r, 0.0f, 0.0f);
    std::vector<StereoSample> out;
    for (int i = 0; i < 6; ++i) out.push_back(processResonator(r, StageGains{}, i == 0 ? 1.0f : 0.0f, 0.5f, true));
    EXPECT_EQ(out[4].left, 0.25f);
}

TEST(VoiceResonator, FastFormGivesTheSameBitsAsTheStageByStageForm) {
    VoiceResonator fast, reference;
    fast.allocate(37);
    reference.allocate(37);
    setTaps(fast, 0.7f, 0.3f);
    setTaps(reference, 0.7f, 0.3f);
    StageGains gains{};
    ResonatorGains shared;
    for (int j = 0; j < 4; ++j) {
        shared.left[j] = 0.9f * kStageFeedback[j];
        shared.right[j] = -0.7f * kStageFeedback[j];
    }
    gains = loadGains(shared);
    std::uint32_t seed = 7;
    for (int i = 0; i < 5000; ++i) {
        seed = seed * 1664525u + 1013904223u;
        // Impulses, noise and long silences, so that flushing is exercised.
        const float x = i % 400 < 3 ? static_cast<float>(seed >> 8) / 16777216.0f - 0.5f : 0.0f;
        const float g = (i % 97) / 96.0f;
        const bool fading = i % 5 == 0;
        const StereoSample a = processResonator(fast, gains, x, g, fading);
        const StereoSample b = processResonatorScalar(reference, gains, x, g, fading);
        ASSERT_EQ(std::bit_cast<std::uint32_t>(a.left), std::bit_cast<std::uint32_t>(b.left)) << i;
        ASSERT_EQ(std::bit_cast<std::uint32_t>(a.right), std::bit_cast<std::uint32_t>(b.right)) << i;
    }
    for (int i = 0; i < 8 * 37; ++i)
        ASSERT_EQ(std::bit_cast<std::uint32_t>(fast.lines[i]), std::bit_cast<std::uint32_t>(reference.lines[i]));
}

TEST(EngineResonators, LinesAreOnePeriodOfTheKey) {
    auto e = std::make_unique<SynthEngine>();
    test::prepare(*e);
    EXPECT_EQ(e->voice(127).resonator.length, 3);
    EXPECT_GT(e->voice(0).resonator.length, 5000);
    EXPECT_EQ(e->voice(69).resonator.length, 100);  // 44100 / 440 = 100.2
    // Below the top key's frequency every line still has a sample.
    e->setSampleRate(8000.0f);
    EXPECT_EQ(e->voice(127).resonator.length, 1);
    EXPECT_EQ(e->voice(69).resonator.length, 18);
}

TEST(EngineResonators, DelayParametersSetTapsGainsAndTail) {
    auto e = std::make_unique<SynthEngine>();
    test::prepare(*e);
    e->setParam(VoiceParam::Delay1, 1.0f);
    const int n0 = e->voice(0).resonator.length;
    EXPECT_EQ(e->voice(0).resonator.leftTap[0], n0);
    EXPECT_EQ(e->values().tailLength.load(), n0 + 1);
    EXPECT_EQ(e->values().tailLengthF.load(), static_cast<float>(n0 + 1));
    e->setParam(VoiceParam::Delay1, 2.0f);
    EXPECT_EQ(e->values().tailLength.load(), n0 + 1);
    e->setParam(VoiceParam::Delay1, -1.0f);
    EXPECT_EQ(e->values().tailLength.load(), 2);
    e->setParam(VoiceParam::Feedback2, 0.5f);
    const float expected[] = {0.98f, 0.96f, 0.97f, 0.95f};
    for (int j = 0; j < 4; ++j)
        EXPECT_EQ(e->values().resonatorGains.right[j].load(),
                  static_cast<float>(0.5 * static_cast<double>(expected[j])));
}

TEST(EngineResonators, DelayChangeMovesTapsWithoutClearingLines) {
    auto e = std::make_unique<SynthEngine>();
    test::prepare(*e);
    e->setParam(VoiceParam::Delay1, 0.5f);
    e->noteOn(48, 127);
    test::render(*e, 300);
    const VoiceResonator& r = e->voice(48).resonator;
    const std::vector<float> before(r.lines, r.lines + 8 * r.length);
    e->setParam(VoiceParam::Delay1, 0.25f);
    EXPECT_EQ(std::vector<float>(r.lines, r.lines + 8 * r.length), before);
    EXPECT_EQ(r.leftTap[0], static_cast<int>((r.length - 1) * 0.25L) + 1);
}

TEST(EngineResonators, HostileSampleRatesAreIgnored) {
    auto e = std::make_unique<SynthEngine>();
    test::prepare(*e);
    for (float rate : {0.0f, -44100.0f, std::nanf(""), INFINITY, -INFINITY}) {
        e->setSampleRate(rate);
        e->storeSampleRate(rate);
        EXPECT_EQ(e->sampleRate(), 44100.0f);
        EXPECT_EQ(e->voice(69).resonator.length, 100);
    }
    // Absurd but valid rates keep a bounded, usable instance.
    e->setSampleRate(1e30f);
    EXPECT_EQ(e->voice(0).resonator.length, static_cast<int>(kMaxResonatorRate / e->keyFrequencies()[0]));
    e->noteOn(60, 100);
    test::render(*e, 64);
    e->setSampleRate(1e-30f);
    EXPECT_EQ(e->voice(0).resonator.length, 1);
    test::render(*e, 64);
}

TEST(EngineResonators, ResumeAfterAStoredRateChangeKeepsTapsInsideShorterLines) {
    auto e = std::make_unique<SynthEngine>();
    test::prepare(*e, 96000.0f);
    e->setParam(VoiceParam::Delay1, 1.0f);
    e->setParam(VoiceParam::Delay2, 1.0f);
    e->storeSampleRate(22050.0f);  // stored only: taps were made for 96000
    e->resume();
    for (int key = 0; key < 128; ++key) {
        const VoiceResonator& r = e->voice(key).resonator;
        for (int j = 0; j < 4; ++j) ASSERT_LE(r.leftTap[j], r.length);
    }
    e->noteOn(30, 100);
    test::render(*e, 256);
}

}  // namespace
}  // namespace velora::engine
