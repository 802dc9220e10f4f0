// SPDX-License-Identifier: MIT
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>

#include <gtest/gtest.h>

#include "effects/distortion.h"
#include "effects/effect_chain.h"
#include "effects/output_ramps.h"
#include "effects_test_support.h"

namespace velora::effects {
namespace {

using test::kInf;
using test::kNaN;

std::uint32_t bits(float x) { return std::bit_cast<std::uint32_t>(x); }

// A chain with centre balance and full final gain, ramps completed.
std::unique_ptr<EffectChain> plainChain(float volumeMajor = 1.0f, float panning = 0.5f, float volumeMinor = 1.0f) {
    auto chain = std::make_unique<EffectChain>();
    chain->setParam(EffectParam::VolumeMajor, volumeMajor);
    chain->setParam(EffectParam::Panning, panning);
    chain->setParam(EffectParam::VolumeMinor, volumeMinor);
    float l, r;
    for (int i = 0; i < kRampLength; ++i) chain->process(0.0f, 0.0f, l, r);
    return chain;
}

TEST(Distortion, WorkedExamples) {
    EffectChain chain;
    chain.setParam(EffectParam::DistDry, 0.5f);
    chain.setParam(EffectParam::DistWet, 1.0f);
    EXPECT_EQ(chain.distDry(), 1.0f);
    EXPECT_EQ(chain.distWet(), 5.0f);
    EXPECT_EQ(bits(shapeSample(0.5f, chain.distDry(), chain.distWet())), bits(-1.1666667f));

    chain.setParam(EffectParam::DistWet, 0.5f);  // no shaping term: the signal passes unchanged
    EXPECT_EQ(chain.distWet(), 0.0f);
    for (float s : {-3.0f, -1.0f, -0.3f, 0.0f, 1e-20f, 0.25f, 0.999f, 2.0f})
        EXPECT_EQ(shapeSample(s, chain.distDry(), chain.distWet()), s);

    // At full scale the gain is the dry term whatever the wet one.
    EXPECT_EQ(shapeSample(1.0f, 0.7f, 3.0f), 0.7f);
    EXPECT_EQ(shapeSample(-1.0f, 0.7f, -5.0f), -0.7f);
    chain.setParam(EffectParam::DistWet, 0.0f);
    EXPECT_EQ(chain.distWet(), -5.0f);
}

TEST(Distortion, RunsInTheChainOnlyWhileOn) {
    auto chain = plainChain();
    chain->setParam(EffectParam::DistDry, 0.5f);
    chain->setParam(EffectParam::DistWet, 1.0f);
    const float sum = 0.5f / chain->masterGain();
    float l, r;
    chain->process(sum, 0.0f, l, r);
    const float straight = l;
    chain->setParam(EffectParam::DistOn, 1.0f);
    EXPECT_TRUE(chain->distOn());
    chain->process(sum, 0.0f, l, r);
    EXPECT_NEAR(l, 0.5f * -1.1666667f, 1e-6f);
    EXPECT_NEAR(straight, 0.25f, 1e-7f);
}

TEST(OutputStage, MasterGainAndCentreBalanceHalveTheSum) {
    auto chain = plainChain();
    EXPECT_EQ(bits(chain->masterGain()), 0x407EC9E1u);
    float l, r;
    chain->process(0.1f, -0.2f, l, r);
    EXPECT_EQ(l, 0.5f * (0.1f * chain->masterGain()));
    EXPECT_EQ(r, 0.5f * (-0.2f * chain->masterGain()));
}

TEST(OutputStage, LimitsToFullScaleBeforeTheFinalGain) {
    auto chain = plainChain(1.0f, 0.5f, 0.5f);
    float l, r;
    chain->process(3.0f, 0.0f, l, r);  // 11.94, halved to 5.97, limited to 1, times 0.5
    EXPECT_EQ(l, 0.5f);
    EXPECT_EQ(r, 0.0f);
    chain->process(-3.0f, 0.0f, l, r);
    EXPECT_EQ(l, -0.5f);
}

TEST(OutputStage, VolumeMajorZeroSilencesInputsWhileTailsContinue) {
    auto chain = plainChain();
    chain->setParam(EffectParam::XDelayOn, 1.0f);
    chain->setParam(EffectParam::XdFeedback, 0.5f);
    chain->setParam(EffectParam::XdMix, 1.0f);
    float l, r;
    chain->process(0.1f, 0.0f, l, r);
    chain->setParam(EffectParam::VolumeMajor, 0.0f);
    EXPECT_EQ(chain->masterGain(), 0.0f);
    chain->process(1.0f, 1.0f, l, r);
    EXPECT_NE(r, 0.0f);  // the echo of the first sample
    chain->process(1.0f, 1.0f, l, r);
    EXPECT_NE(l, 0.0f);  // and its return
}

TEST(BalanceRamp, LawAtTheCornersAndCentre) {
    struct Case {
        float panning, left, right;
    };
    for (const Case c :
         {Case{0.0f, 0.5f, 0.0f}, Case{0.5f, 0.5f, 0.5f}, Case{0.75f, 0.25f, 0.5f}, Case{1.0f, 0.0f, 0.5f}}) {
        BalanceRamp ramp;
        ramp.start(c.panning);
        EXPECT_EQ(ramp.targetL(), c.left);
        EXPECT_EQ(ramp.targetR(), c.right);
        float wl = -1.0f, wr = -1.0f;
        for (int i = 0; i < kRampLength; ++i) ramp.step(wl, wr);
        EXPECT_EQ(wl, c.left) << c.panning;
        EXPECT_EQ(wr, c.right) << c.panning;
    }

    // 0.75: the left channel at a quarter, the right one whole plus a quarter of the left, halved.
    auto chain = plainChain(1.0f, 0.75f);
    float l, r;
    chain->process(0.1f, 0.2f, l, r);
    const float inL = 0.1f * chain->masterGain(), inR = 0.2f * chain->masterGain();
    EXPECT_EQ(l, 0.25f * inL + 0.0f * inR);
    EXPECT_EQ(r, 0.5f * inR + 0.25f * inL);
}

TEST(BalanceRamp, ChangeInMidRampStartsFromTheValueNextDue) {
    BalanceRamp ramp;
    float wl = 0.0f, wr = 0.0f, previousL = 0.0f, previousR = 0.0f;
    ramp.start(0.0f);
    for (int i = 0; i < 5; ++i) ramp.step(wl, wr);
    ramp.start(1.0f);
    previousL = wl;
    previousR = wr;
    for (int i = 0; i < 2 * kRampLength; ++i) {
        ramp.step(wl, wr);
        EXPECT_LE(std::fabs(wl - previousL), 0.5f / 24 + 1e-6f) << i;
        EXPECT_LE(std::fabs(wr - previousR), 0.5f / 24 + 1e-6f) << i;
        previousL = wl;
        previousR = wr;
    }
    EXPECT_NEAR(wl, 0.0f, 1e-7f);  // the last entry may overshoot by a rounding step
    EXPECT_EQ(wr, 0.5f);
}

TEST(VolumeRamp, ReachesItsTargetInExactly24Samples) {
    VolumeRamp ramp;
    ramp.start(1.0f);  // from the silent start
    for (int k = 1; k <= kRampLength; ++k) EXPECT_NEAR(ramp.step(), k / 24.0f, 1e-7f);
    EXPECT_EQ(ramp.gain(), 1.0f);

    ramp.start(0.0f);
    for (int k = 1; k < kRampLength; ++k) EXPECT_NEAR(ramp.step(), (24 - k) / 24.0f, 1e-7f) << k;
    // The last entry is 1 - 24 * float(1/24) formed in double: -2.98e-8.
    const float last = ramp.step();
    EXPECT_LE(std::fabs(last), 3e-8f);
    EXPECT_EQ(ramp.position(), kRampLength);
    EXPECT_EQ(ramp.step(), last);  // stays
    EXPECT_EQ(ramp.step(), last);
}

TEST(VolumeRamp, RestartBeginsAtTheValueNextDue) {
    VolumeRamp ramp;
    ramp.start(1.0f);
    for (int i = 0; i < 10; ++i) ramp.step();
    const float nextDue = ramp.step();
    VolumeRamp same;
    same.start(1.0f);
    for (int i = 0; i < 10; ++i) same.step();
    same.start(0.0f);  // restarted where `ramp` took its 11th value
    EXPECT_EQ(same.gain(), nextDue);
    EXPECT_NEAR(same.step(), nextDue * 23.0f / 24.0f, 1e-7f);
}

// Faults mended: the output never carries NaN or inf, whatever the values.

TEST(OutputBounds, NonFiniteVolumeMinorIsClampedToAFiniteGain) {
    VolumeRamp ramp;
    ramp.start(kNaN);
    for (int i = 0; i < kRampLength; ++i) EXPECT_EQ(ramp.step(), 0.0f);
    ramp.start(kInf);
    for (int i = 0; i < kRampLength; ++i) EXPECT_TRUE(std::isfinite(ramp.step()));
    EXPECT_LE(ramp.gain(), kGainBound * 1.000001f);
    ramp.start(-kInf);
    for (int i = 0; i < kRampLength; ++i) ramp.step();
    EXPECT_GE(ramp.gain(), -kGainBound * 1.000001f);
}

TEST(OutputBounds, LimiterTurnsNaNIntoSilence) {
    auto chain = plainChain();
    chain->setParam(EffectParam::DistOn, 1.0f);
    chain->setParam(EffectParam::DistDry, kInf);  // inf * 0 in the shaper gives NaN
    float l = 1.0f, r = 1.0f;
    chain->process(0.0f, 0.0f, l, r);
    EXPECT_EQ(l, 0.0f);
    EXPECT_EQ(r, 0.0f);
}

TEST(OutputBounds, EveryParameterAtHostileValuesKeepsTheOutputFinite) {
    const float hostile[] = {kNaN, kInf, -kInf, 1e30f, -1e30f, 3.4e38f, -0.0204f};
    const float inputs[] = {0.3f, -0.7f, 5.0f, 0.0f, -1e10f, kNaN, kInf, 0.01f};
    for (int p = 0; p < static_cast<int>(EffectParam::Count); ++p) {
        for (float v : hostile) {
            auto chain = plainChain();
            for (EffectParam on : {EffectParam::XDelayOn, EffectParam::ReverbOn, EffectParam::DistOn})
                chain->setParam(on, 1.0f);
            chain->setParam(EffectParam::XdFeedback, 0.9f);
            chain->setParam(EffectParam::XdMix, 0.5f);
            chain->setParam(EffectParam::ReverbWet, 0.5f);
            chain->setParam(EffectParam::ReverbDry, 0.5f);
            chain->setParam(static_cast<EffectParam>(p), v);
            chain->setParam(EffectParam::XdLengthR, v);  // lengths recomputed with the hostile value too
            float l, r;
            for (int i = 0; i < 3000; ++i) {
                chain->process(inputs[i % 8], inputs[(i + 3) % 8], l, r);
                ASSERT_TRUE(std::isfinite(l) && std::isfinite(r)) << "param " << p << " value " << v << " sample " << i;
                ASSERT_LE(std::fabs(l), kGainBound * 1.000001f);
                ASSERT_LE(std::fabs(r), kGainBound * 1.000001f);
            }
        }
    }
}

TEST(OutputBounds, AnySampleRateKeepsTheChainFinite) {
    for (float rate : {1e-30f, 1.0f, 8000.0f, 384000.0f, 1e9f, 3e38f}) {
        auto chain = plainChain();
        chain->setSampleRate(rate);
        for (EffectParam on : {EffectParam::XDelayOn, EffectParam::ReverbOn, EffectParam::DistOn})
            chain->setParam(on, 1.0f);
        for (EffectParam p : {EffectParam::XdLengthL, EffectParam::XdFeedback, EffectParam::XdMix,
                              EffectParam::ReverbTime, EffectParam::ReverbWet, EffectParam::XdLengthR})
            chain->setParam(p, 1.0f);
        EXPECT_GE(chain->xdLength(0), 1);
        EXPECT_LE(chain->xdLength(0), chain->xdCapacity());
        float l, r;
        for (int i = 0; i < 5000; ++i) {
            chain->process(i % 100 == 0 ? 0.9f : 0.0f, 0.0f, l, r);
            ASSERT_TRUE(std::isfinite(l) && std::isfinite(r)) << rate << " sample " << i;
        }
    }
}

TEST(OutputBounds, UnknownParameterIsIgnored) {
    auto chain = plainChain();
    chain->setParam(EffectParam::Count, 1.0f);
    chain->setParam(static_cast<EffectParam>(-1), 1.0f);
    chain->setParam(static_cast<EffectParam>(99), 1.0f);
    float l, r;
    chain->process(0.1f, 0.1f, l, r);
    EXPECT_EQ(l, 0.5f * (0.1f * chain->masterGain()) + 0.0f * (0.1f * chain->masterGain()));
}

}  // namespace
}  // namespace velora::effects
