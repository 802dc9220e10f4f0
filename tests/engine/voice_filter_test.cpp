// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "engine/voice_filter.h"
#include "engine_test_support.h"

namespace velora::engine {
namespace {

const WaveTable& sine() { return waveTables().sineTable; }

VoiceFilter makeFilter(float fc, float q) {
    VoiceFilter f;
    f.cutoff = fc;
    f.resonance = q;
    updateCoefficients(f, sine());
    return f;
}

TEST(VoiceFilterCoefficients, FollowTheCookbookLowPassThroughTheTable) {
    for (float fc : {0.01f, 0.1f, 0.3f, 0.4999f}) {
        for (float q : {0.1f, 0.7071f, 2.5f}) {
            const VoiceFilter f = makeFilter(fc, q);
            const float cosine = sine()[static_cast<int>(8192.0f * (fc + 0.25f))];
            const float sn = sine()[static_cast<int>(8192.0f * fc)];
            const float alpha = sn / (2.0f * q);
            const float a0 = 1.0f + alpha;
            EXPECT_EQ(f.cosine, cosine);
            EXPECT_EQ(f.a0, a0);
            EXPECT_EQ(f.b0, (1.0f - cosine) / (2.0f * a0));
            EXPECT_EQ(f.b2, f.b0);
            EXPECT_EQ(f.b1, (1.0f - cosine) / a0);
            EXPECT_EQ(f.a1, -2.0f * cosine / a0);
            EXPECT_EQ(f.a2, (1.0f - alpha) / a0);
            // And the table read is the true cosine and sine of 2 pi fc.
            const double w0 = 2.0 * M_PI * fc;
            EXPECT_NEAR(cosine, std::cos(w0), 1e-3);
            EXPECT_NEAR(sn, std::sin(w0), 1e-3);
        }
    }
}

TEST(VoiceFilterCoefficients, UnityGainAtDcAndMutedWhenResonanceIsNotPositive) {
    VoiceFilter f = makeFilter(0.05f, 0.7071f);
    float y = 0.0f;
    for (int i = 0; i < 4000; ++i) y = filterSample(f, 1.0f);
    EXPECT_NEAR(y, 1.0f, 1e-3f);
    for (float q : {0.0f, -0.0f}) {
        VoiceFilter m = makeFilter(0.05f, q);
        EXPECT_TRUE(std::isfinite(m.b0) && std::isfinite(m.a1) && std::isfinite(m.a2));
        EXPECT_TRUE(std::isfinite(filterSample(m, 1.0f)));
    }
}

TEST(VoiceFilterState, SilenceNeverLeavesDenormalsInTheState) {
    // A resonant filter can keep a rounding cycle just above the flush
    // threshold, but its state is never a denormal number.
    VoiceFilter f = makeFilter(0.02f, 2.5f);
    filterSample(f, 1.0f);
    for (int i = 0; i < 100000; ++i) {
        filterSample(f, 0.0f);
        for (float s : {f.s1, f.s2, f.s3, f.s4}) ASSERT_TRUE(s == 0.0f || std::fabs(s) >= 1e-24f) << "sample " << i;
    }
    for (float s : {f.s1, f.s2, f.s3, f.s4}) EXPECT_LT(std::fabs(s), 1e-21f);
    // A well damped one settles to exact zeros.
    VoiceFilter damped = makeFilter(0.2f, 0.5f);
    filterSample(damped, 1.0f);
    for (int i = 0; i < 5000; ++i) filterSample(damped, 0.0f);
    EXPECT_EQ(damped.s1, 0.0f);
    EXPECT_EQ(damped.s2, 0.0f);
    EXPECT_EQ(damped.s3, 0.0f);
    EXPECT_EQ(damped.s4, 0.0f);
}

TEST(VoiceFilterState, TwoEqualBiquadsInSeries) {
    VoiceFilter both = makeFilter(0.1f, 1.0f);
    VoiceFilter first = makeFilter(0.1f, 1.0f), second = makeFilter(0.1f, 1.0f);
    for (int i = 0; i < 50; ++i) {
        const float x = (i % 7) * 0.25f - 0.5f;
        // One biquad is the filter whose second stage passes its input through.
        const float y1 = first.b0 * x + first.s1;
        first.s1 = flushTiny(first.b1 * x + first.s2 - first.a1 * y1);
        first.s2 = flushTiny(first.b2 * x - first.a2 * y1);
        const float y2 = second.b0 * y1 + second.s1;
        second.s1 = flushTiny(second.b1 * y1 + second.s2 - second.a1 * y2);
        second.s2 = flushTiny(second.b2 * y1 - second.a2 * y2);
        ASSERT_EQ(filterSample(both, x), y2) << i;
    }
}

TEST(CutoffEnvelope, StartsFromKeyAndVelocityAndClampsBelowNyquist) {
    CutoffEnvelope env;
    startCutoff(env, 24.0f, 1.0f, 440.0f, 69, 127);
    const float velocityScale = 127.0f * 0.007874015718698502f * 0.99f + 0.01f;
    const float keyScale = 59.0f * 0.0078125f * 0.9f + 0.1f;
    EXPECT_EQ(env.floor, 440.0f);
    EXPECT_EQ(env.decaying, 23.0f * 440.0f * velocityScale * keyScale);
    EXPECT_NEAR(env.decaying + env.floor, 440.0 + 23 * 440 * (59 * 0.0078125 * 0.9 + 0.1), 0.01);

    VoiceFilter f;
    f.resonance = 1.0f;
    stepCutoff(env, f, 0.5f, 44100.0f, sine());
    EXPECT_EQ(env.decaying, (23.0f * 440.0f * velocityScale * keyScale) * 0.5f);
    EXPECT_EQ(f.cutoff, (env.decaying + env.floor) / 44100.0f);

    CutoffEnvelope high{30000.0f, 1000.0f};
    stepCutoff(high, f, 1.0f, 44100.0f, sine());
    EXPECT_EQ(f.cutoff, 0.4999000132083893f);
}

TEST(CutoffEnvelope, InvertedMultipliersRiseTowardsTheFloor) {
    CutoffEnvelope env;
    startCutoff(env, 1.0f, 9.0f, 100.0f, 0, 64);
    EXPECT_LT(env.decaying, 0.0f);
    EXPECT_EQ(env.floor, 900.0f);
}

TEST(CutoffEnvelope, InTheEngineTheToneCutoffOfKey69Velocity127) {
    auto e = std::make_unique<SynthEngine>();
    test::prepare(*e);
    e->setParam(VoiceParam::ToneLpDecay, 0.0f);
    e->noteOn(69, 127);
    const CutoffEnvelope& env = e->voice(69).toneCutoff;
    EXPECT_NEAR(env.decaying + env.floor, 440.0 + 23 * 440 * (59 * 0.0078125 * 0.9 + 0.1), 0.01);
    const float start = env.decaying;
    test::render(*e, 400);
    // A decay of 0 holds the cutoff for the whole note.
    EXPECT_EQ(e->voice(69).toneCutoff.decaying, start);
    EXPECT_EQ(e->voice(69).toneFilter.cutoff, (start + 440.0f) / 44100.0f);
}

TEST(CutoffEnvelope, ResonanceChangeReachesEveryFilterAtOnce) {
    auto e = std::make_unique<SynthEngine>();
    test::prepare(*e);
    e->setParam(VoiceParam::ToneLpRes, 1.0f);
    const float q = static_cast<float>(0.10000000149011612 + 2.4000000953674316);
    for (int key = 0; key < 128; ++key) {
        ASSERT_EQ(e->voice(key).toneFilter.resonance, q);
        ASSERT_EQ(e->voice(key).attackFilter.resonance,
                  static_cast<float>(0.10000000149011612 + 2.4000000953674316 * 0.3f));
    }
}

}  // namespace
}  // namespace velora::engine
