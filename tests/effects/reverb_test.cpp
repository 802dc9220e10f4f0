// SPDX-License-Identifier: MIT
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "effects/effect_chain.h"
#include "effects/reverb.h"
#include "effects_test_support.h"

namespace velora::effects {
namespace {

using test::kInf;
using test::kNaN;

using test::Frame;

std::unique_ptr<Reverb> wetReverb(float timeValue, float rate = 44100.0f) {
    auto reverb = std::make_unique<Reverb>();
    reverb->setSampleRate(rate);
    reverb->setTime(timeValue);
    reverb->setWet(1.0f);
    reverb->setDry(0.0f);
    reverb->switchOn(true);
    return reverb;
}

std::vector<Frame> run(Reverb& reverb, std::vector<Frame> input, std::size_t count) {
    input.resize(count, Frame{0.0f, 0.0f});
    std::vector<Frame> out(count);
    for (std::size_t i = 0; i < count; ++i) reverb.processReverb(input[i].l, input[i].r, out[i].l, out[i].r);
    return out;
}

float peak(const std::vector<Frame>& out, std::size_t from, std::size_t to) {
    float p = 0.0f;
    for (std::size_t i = from; i < to && i < out.size(); ++i)
        p = std::max({p, std::fabs(out[i].l), std::fabs(out[i].r)});
    return p;
}

TEST(ReverbTuning, ToneCoefficientAndLineGains) {
    Reverb reverb;
    EXPECT_EQ(std::bit_cast<std::uint32_t>(reverb.toneCoeff()), 0xBF226F61u);

    // Every line falls by 60 dB over the reverberation time.
    for (float v : {0.0f, 0.3f, 1.0f}) {
        reverb.setTime(v);
        const double seconds = reverb.reverbTime();
        for (int i = 0; i < kReverbLineCount; ++i) {
            const double g = reverb.lineGain(i);
            ASSERT_GT(g, 0.0);
            ASSERT_LT(g, 1.0);
            EXPECT_NEAR(std::pow(g, 44100.0 * seconds / kReverbLineLengths[i]), 1e-3, 1e-8) << v << " line " << i;
        }
    }
    reverb.setTime(0.0f);
    EXPECT_EQ(reverb.reverbTime(), 0.1f);
    reverb.setTime(1.0f);
    EXPECT_EQ(reverb.reverbTime(), 5.0f);
}

TEST(ReverbTuning, AbsorptionFilterKeepsTheLineGainAtZeroFrequency) {
    Reverb reverb;
    reverb.setTime(1.0f);
    EXPECT_NEAR(reverb.damping(0).a, 0.0047, 0.0002);  // about -F for line 0 at 5 s
    reverb.setTime(0.0f);
    EXPECT_NEAR(reverb.damping(0).a, 0.23, 0.01);
    for (int i = 0; i < kReverbLineCount; ++i) {
        const DampingCoefficients c = reverb.damping(i);
        EXPECT_GT(c.a, 0.0f);
        EXPECT_NEAR(c.b / (1.0 + c.a), reverb.lineGain(i), 1e-6);  // DC gain B / (1 + A) = g
    }
    // The shortest time at 44100 Hz is left exactly as the formula gives it.
    const double g0 = std::pow(10.0, -3.0 * 601 / (44100.0 * static_cast<double>(0.1f)));
    EXPECT_EQ(reverb.lineGain(0), static_cast<float>(g0));
}

TEST(ReverbTuning, SampleRateChangeTakesEffectAtTheNextTimeSetting) {
    Reverb reverb;
    reverb.setTime(0.5f);
    const float before = reverb.lineGain(3);
    reverb.setSampleRate(96000.0f);
    EXPECT_EQ(reverb.lineGain(3), before);
    reverb.setTime(0.5f);
    EXPECT_GT(reverb.lineGain(3), before);  // more samples per second: less loss per pass
}

TEST(ReverbSignal, FirstWetSampleComesAfterTheShortestLineOnBothChannels) {
    auto reverb = wetReverb(0.5f);
    const auto out = run(*reverb, {{1.0f, 0.0f}}, 2000);
    EXPECT_EQ(peak(out, 0, 601), 0.0f);
    EXPECT_NE(out[601].l, 0.0f);
    EXPECT_NE(out[601].r, 0.0f);
}

TEST(ReverbSignal, MonoInputGivesDifferentLeftAndRight) {
    auto reverb = wetReverb(0.5f);
    const auto out = run(*reverb, {{0.5f, 0.5f}, {-0.25f, -0.25f}}, 5000);
    int differing = 0;
    for (const Frame& f : out) differing += f.l != f.r;
    EXPECT_GT(differing, 2000);
}

TEST(ReverbSignal, DryOnlyPassesTheInputUnchanged) {
    Reverb reverb;
    reverb.setTime(0.7f);
    reverb.setWet(0.0f);
    reverb.setDry(1.0f);
    reverb.switchOn(true);
    std::vector<Frame> input;
    for (int i = 0; i < 5000; ++i) input.push_back({std::sin(0.01f * i), 0.3f * std::cos(0.023f * i)});
    const auto out = run(reverb, input, input.size());
    for (std::size_t i = 0; i < input.size(); ++i) {
        ASSERT_EQ(out[i].l, input[i].l) << i;
        ASSERT_EQ(out[i].r, input[i].r) << i;
    }
}

TEST(ReverbSignal, SwitchingOffAndOnClearsTheTail) {
    auto reverb = wetReverb(1.0f);
    run(*reverb, {{1.0f, -1.0f}, {0.5f, 0.5f}}, 3000);
    reverb->switchOn(false);
    EXPECT_FALSE(reverb->on());
    reverb->switchOn(true);
    EXPECT_EQ(peak(run(*reverb, {}, 5000), 0, 5000), 0.0f);

    // Without the switch the tail goes on; zeroing the loop values (program
    // selection) does not clear it either.
    run(*reverb, {{1.0f, 0.0f}}, 3000);
    reverb->zeroLoops();
    EXPECT_GT(peak(run(*reverb, {}, 5000), 0, 5000), 0.0f);
}

TEST(ReverbSignal, TailFallsBySixtyDecibelsInAboutTheReverbTime) {
    for (float v : {0.0f, 1.0f}) {
        auto reverb = wetReverb(v);
        const double seconds = reverb->reverbTime();
        const auto at = [&](double fraction) { return static_cast<std::size_t>(44100.0 * seconds * fraction); };
        const auto out = run(*reverb, {{1.0f, 0.0f}}, at(1.5));
        const float top = peak(out, 0, out.size());
        ASSERT_GT(top, 0.0f);
        EXPECT_GT(peak(out, at(0.3), at(0.4)), top * 0.01f) << v;    // still well audible
        EXPECT_LT(peak(out, at(1.0), at(1.2)), top * 0.003f) << v;   // past -50 dB
        EXPECT_LT(peak(out, at(1.3), at(1.5)), top * 0.0018f) << v;  // past -55 dB
    }
}

// Faults mended: times that are not positive, huge times and low sample
// rates must neither put inf/NaN into the network nor let it grow.

TEST(ReverbBounds, HostileTimesKeepGainsBelowOneAndFiltersStable) {
    for (float v : {-0.0204f, -0.05f, -1.0f, -kInf, kNaN, kInf, 1e30f, -1e30f, 100.0f}) {
        Reverb reverb;
        reverb.setTime(v);
        for (int i = 0; i < kReverbLineCount; ++i) {
            const DampingCoefficients c = reverb.damping(i);
            EXPECT_GT(reverb.lineGain(i), 0.0f) << v;
            EXPECT_LT(reverb.lineGain(i), 1.0f) << v;
            EXPECT_GE(c.a, 0.0f) << v;
            EXPECT_LT(c.a, 1.0f) << v;
            EXPECT_TRUE(std::isfinite(c.b)) << v;
        }
    }
}

TEST(ReverbBounds, ShortTimesAtLowSampleRatesDecayInsteadOfExploding) {
    for (float rate : {8000.0f, 11025.0f, 16000.0f}) {
        for (float v : {0.0f, -0.01f, -0.0204f}) {
            auto reverb = wetReverb(v, rate);
            const auto out = run(*reverb, {{1.0f, 0.0f}, {-1.0f, 0.5f}}, static_cast<std::size_t>(rate));
            for (const Frame& f : out) ASSERT_TRUE(std::isfinite(f.l) && std::isfinite(f.r)) << rate << " " << v;
            EXPECT_LT(peak(out, out.size() / 2, out.size()), 1e-6f) << rate << " " << v;
        }
    }
}

TEST(ReverbBounds, ExtremeInputsThroughTheChainStayFinite) {
    EffectChain chain;
    chain.setParam(EffectParam::ReverbOn, 1.0f);
    chain.setParam(EffectParam::ReverbTime, 1.0f);
    chain.setParam(EffectParam::ReverbWet, 1.0f);
    chain.setParam(EffectParam::VolumeMajor, 1.0f);
    chain.setParam(EffectParam::Panning, 0.5f);
    chain.setParam(EffectParam::VolumeMinor, 1.0f);
    float l = 0.0f, r = 0.0f;
    const float inputs[] = {3e38f, -3e38f, kInf, kNaN, 1e20f};
    for (int i = 0; i < 20000; ++i) {
        chain.process(inputs[i % 5], inputs[(i + 2) % 5], l, r);
        ASSERT_TRUE(std::isfinite(l) && std::isfinite(r)) << i;
    }
    // The network still responds to ordinary signals afterwards.
    for (int i = 0; i < 100000; ++i) chain.process(0.0f, 0.0f, l, r);
    chain.process(0.1f, 0.1f, l, r);
    for (int i = 0; i < 700; ++i) chain.process(0.0f, 0.0f, l, r);
    EXPECT_TRUE(std::isfinite(l) && l != 0.0f);
}

}  // namespace
}  // namespace velora::effects
