// SPDX-License-Identifier: MIT
#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "effects/cross_delay.h"
#include "effects/effect_chain.h"
#include "effects_test_support.h"

namespace velora::effects {
namespace {

using test::kInf;
using test::kNaN;

using test::Frame;

// Feeds `input` (zeros after its end) through the delay for `count` samples.
std::vector<Frame> run(CrossDelay& delay, std::vector<Frame> input, std::size_t count) {
    input.resize(count, Frame{0.0f, 0.0f});
    std::vector<Frame> out(count);
    for (std::size_t i = 0; i < count; ++i) delay.processCrossDelay(input[i].l, input[i].r, out[i].l, out[i].r);
    return out;
}

std::unique_ptr<CrossDelay> syncedDelay(float lengthL, float lengthR) {
    auto delay = std::make_unique<CrossDelay>();
    delay->setSync(true);
    delay->setLengthValue(Side::Left, lengthL);
    delay->setLengthValue(Side::Right, lengthR);
    return delay;
}

TEST(CrossDelayLength, FreeLengthIsValueTimesRatePlusOneSample) {
    CrossDelay delay;
    delay.setLengthValue(Side::Left, 0.0f);
    EXPECT_EQ(delay.length(Side::Left), 1);
    delay.setLengthValue(Side::Left, 0.55f);
    EXPECT_EQ(delay.length(Side::Left), 24256);
    delay.setLengthValue(Side::Right, 1.0f);
    EXPECT_EQ(delay.length(Side::Right), 44101);
    EXPECT_EQ(delay.length(Side::Left), 24256);
}

TEST(CrossDelayLength, SyncedLengthFollowsDivisionTempoAndRate) {
    auto delay = syncedDelay(0.55f, 1.0f);
    EXPECT_EQ(delay->division(Side::Left), 5);
    EXPECT_EQ(delay->length(Side::Left), 22050);
    EXPECT_EQ(delay->division(Side::Right), 9);  // not 10
    EXPECT_EQ(delay->length(Side::Right), 88200);
    EXPECT_EQ(delay->capacity(), 88200);  // the whole line

    delay->setLengthValue(Side::Left, 0.7f);  // 10 * float(0.7) in double is just below 7
    EXPECT_EQ(delay->division(Side::Left), 6);
    EXPECT_EQ(delay->length(Side::Left), 33075);

    // Extended precision: (1/90) * 0.25 * 44100 * 60 is 7349.99999...
    delay->applyHostTempo(true, 90.0);
    delay->setLengthValue(Side::Left, 0.0f);
    EXPECT_EQ(delay->length(Side::Left), 7349);
}

TEST(CrossDelayLength, DivisionLabelsAndClampedIndexes) {
    const char* labels[] = {"1/4", "1/3", "1/2", "2/3", "3/4", "1", "3/2", "2", "3", "4"};
    for (int i = 0; i < 10; ++i) EXPECT_STREQ(EffectChain::divisionLabel(i), labels[i]);
    EXPECT_STREQ(EffectChain::divisionLabel(-3), "1/4");
    EXPECT_STREQ(EffectChain::divisionLabel(10), "4");
    EXPECT_STREQ(EffectChain::divisionLabel(1 << 30), "4");
}

// A host restoring a sound sets the mode and the lengths in any order; the
// lengths must come out as if the mode had been set first.
TEST(CrossDelayLength, LengthsFollowTheModeWhicheverIsSetFirst) {
    struct Case {
        bool modeFirst;
        bool sync;
        std::int32_t left, right, divisionLeft;
    };
    const Case cases[] = {
        {true, true, 22050, 33075, 5},
        {false, true, 22050, 33075, 5},  // 0.7f x 10 truncates to 6: "3/2"
        {true, false, 24256, 30870, 0},
        {false, false, 24256, 30870, 0},
    };
    for (const Case& c : cases) {
        CrossDelay delay;
        delay.setSync(!c.sync);  // the mode the instance was in
        auto lengths = [&] {
            delay.setLengthValue(Side::Left, 0.55f);
            delay.setLengthValue(Side::Right, 0.7f);
        };
        if (c.modeFirst) delay.setSync(c.sync);
        lengths();
        if (!c.modeFirst) delay.setSync(c.sync);
        EXPECT_EQ(delay.length(Side::Left), c.left) << c.modeFirst << c.sync;
        EXPECT_EQ(delay.length(Side::Right), c.right) << c.modeFirst << c.sync;
        if (c.sync) {
            EXPECT_EQ(delay.division(Side::Left), c.divisionLeft);
        }
    }
}

TEST(CrossDelayLength, SyncSwitchWithoutChangeKeepsLengthsAndDivisions) {
    CrossDelay delay;
    delay.setSync(true);
    delay.setLengthValue(Side::Left, 0.55f);
    delay.setSync(true);
    EXPECT_EQ(delay.length(Side::Left), 22050);
    delay.setSync(false);
    EXPECT_EQ(delay.length(Side::Left), 24256);
    EXPECT_EQ(delay.division(Side::Left), 5);  // the last synced division stays for the display
}

TEST(CrossDelaySignal, ImpulseTravelsPingPongWithItsGains) {
    CrossDelay delay;
    delay.setLengthValue(Side::Left, 0.0023f);
    delay.setLengthValue(Side::Right, 0.0011f);
    const std::size_t lengthL = delay.length(Side::Left), lengthR = delay.length(Side::Right);
    ASSERT_EQ(lengthL, 102u);
    ASSERT_EQ(lengthR, 49u);
    delay.setFeedback(0.5f);
    delay.setMix(0.8f);
    const auto out = run(delay, {{1.0f, 0.0f}}, 1000);

    // Echo k: after alternating lengths L, R, L, ..., scaled by feedback^k and
    // the mix; odd echoes on the right, even ones on the left.
    std::vector<Frame> expected(out.size(), Frame{0.0f, 0.0f});
    expected[0].l = 1.0f;  // the dry signal at unity
    std::size_t t = 0;
    float gain = 1.0f;
    for (int k = 1; t < out.size(); ++k) {
        t += k % 2 ? lengthL : lengthR;
        gain *= 0.5f;
        if (t < out.size()) (k % 2 ? expected[t].r : expected[t].l) = gain * 0.8f;
    }
    for (std::size_t i = 0; i < out.size(); ++i) {
        EXPECT_EQ(out[i].l, expected[i].l) << i;
        EXPECT_EQ(out[i].r, expected[i].r) << i;
    }
}

TEST(CrossDelaySignal, ZeroLengthValueDelaysByOneSample) {
    CrossDelay delay;
    delay.setFeedback(1.0f);
    delay.setMix(1.0f);
    const auto out = run(delay, {{0.0f, 1.0f}}, 4);
    EXPECT_EQ(out[0].r, 1.0f);
    EXPECT_EQ(out[1].l, 1.0f);  // the right input heard on the left one sample later
    EXPECT_EQ(out[2].r, 1.0f);  // and back on the right
}

TEST(CrossDelaySignal, ZeroFeedbackKeepsLinesSilent) {
    CrossDelay delay;
    delay.setLengthValue(Side::Left, 0.0f);
    delay.setLengthValue(Side::Right, 0.0f);
    delay.setFeedback(0.0f);
    delay.setMix(1.0f);
    std::vector<Frame> input;
    for (int i = 0; i < 300; ++i) input.push_back({std::sin(0.1f * i), std::cos(0.07f * i)});
    const auto out = run(delay, input, 300);
    for (int i = 0; i < 300; ++i) {
        EXPECT_EQ(out[i].l, input[i].l);
        EXPECT_EQ(out[i].r, input[i].r);
    }
}

TEST(CrossDelaySignal, SwitchingOnAgainOrClearingRemovesPendingEchoes) {
    CrossDelay delay;
    delay.switchOn(true);
    delay.setFeedback(1.0f);
    delay.setMix(1.0f);
    delay.setLengthValue(Side::Left, 0.001f);
    auto echoes = [&] {
        float sum = 0.0f;
        for (const Frame& f : run(delay, {}, 200)) sum += std::fabs(f.l) + std::fabs(f.r);
        return sum;
    };
    run(delay, {{1.0f, 1.0f}}, 10);
    EXPECT_GT(echoes(), 0.0f);

    run(delay, {{1.0f, 1.0f}}, 10);
    delay.switchOn(false);
    EXPECT_FALSE(delay.on());
    delay.switchOn(true);
    EXPECT_EQ(echoes(), 0.0f);

    run(delay, {{1.0f, 1.0f}}, 10);
    delay.clearCrossDelay();  // resume
    EXPECT_EQ(echoes(), 0.0f);
}

TEST(CrossDelaySignal, SwitchesReadAnyNonZeroValueAsOn) {
    EffectChain chain;
    for (float v : {1.0f, 2.0f, -0.5f, 1e-30f, kNaN}) {
        chain.setParam(EffectParam::XDelayOn, v);
        EXPECT_TRUE(chain.xdOn()) << v;
        chain.setParam(EffectParam::XdTempoSync, v);
        EXPECT_TRUE(chain.xdSync()) << v;
        chain.setParam(EffectParam::XDelayOn, 0.0f);
        EXPECT_FALSE(chain.xdOn());
        chain.setParam(EffectParam::XdTempoSync, -0.0f);
        EXPECT_FALSE(chain.xdSync());
    }
}

TEST(CrossDelayTempo, SlowerTempoGrowsAndClearsFasterTempoOnlyShortens) {
    auto delay = syncedDelay(0.55f, 0.55f);  // one beat
    delay->setFeedback(1.0f);
    delay->setMix(1.0f);
    run(*delay, {{1.0f, 0.0f}}, 10);  // an echo on its way at 120 BPM

    ASSERT_TRUE(delay->applyHostTempo(true, 60.0));
    EXPECT_EQ(delay->previousTempo(), 120.0f);
    EXPECT_TRUE(delay->growCrossDelay());
    delay->recomputeLengths();
    EXPECT_EQ(delay->capacity(), 176400);
    EXPECT_EQ(delay->length(Side::Left), 44100);
    for (const Frame& f : run(*delay, {}, 176400)) ASSERT_EQ(f.l + f.r, 0.0f);  // the echo is gone

    // An impulse written 44100 samples ahead; 30000 samples later the tempo
    // rises again, and the shorter write distance never reaches it.
    run(*delay, {{1.0f, 0.0f}}, 30000);

    ASSERT_TRUE(delay->applyHostTempo(true, 120.0));
    EXPECT_FALSE(delay->growCrossDelay());
    delay->recomputeLengths();
    EXPECT_EQ(delay->capacity(), 176400);
    EXPECT_EQ(delay->length(Side::Left), 22050);
    const auto out = run(*delay, {}, 20000);
    EXPECT_EQ(out[44100 - 30000].r, 1.0f);  // still there: the lines were not cleared
}

TEST(CrossDelayTempo, HostTempoAnswersAndTheirEffects) {
    EffectChain chain;
    EXPECT_FALSE(chain.applyHostTempo(false, 60.0));  // no answer: unchanged
    EXPECT_EQ(chain.hostTempo(), 120.0f);
    EXPECT_FALSE(chain.applyHostTempo(true, 120.0));
    EXPECT_TRUE(chain.applyHostTempo(true, 0.5));
    EXPECT_EQ(chain.hostTempo(), 1.0f);
    for (double bad :
         {std::nan(""), std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(), 1e300}) {
        EXPECT_FALSE(chain.applyHostTempo(true, bad));
        EXPECT_EQ(chain.hostTempo(), 1.0f);
    }
    EXPECT_FALSE(chain.applyHostTempo(true, -30.0));  // raised to 1.0 again
    EXPECT_FALSE(chain.applyHostTempo(true, 0.0));
    EXPECT_EQ(chain.hostTempo(), 1.0f);

    chain.setParam(EffectParam::XdTempoSync, 1.0f);
    chain.setParam(EffectParam::XdLengthL, 1.0f);
    chain.followTempo();
    EXPECT_EQ(chain.xdCapacity(), 240 * 44100);
    EXPECT_EQ(chain.xdLength(0), 240 * 44100);
}

TEST(CrossDelayTempo, SampleRateChangeRescalesCapacityAndLengths) {
    EffectChain chain;
    chain.setParam(EffectParam::XdLengthL, 0.5f);
    chain.setSampleRate(96000.0f);
    EXPECT_EQ(chain.xdCapacity(), 192000);
    EXPECT_EQ(chain.xdLength(0), 48001);
    for (float bad : {0.0f, -44100.0f, kNaN, kInf}) {
        chain.setSampleRate(bad);
        EXPECT_EQ(chain.xdCapacity(), 192000);
        EXPECT_EQ(chain.xdLength(0), 48001);
    }
    chain.setSampleRate(44100.0f);  // never shrinks
    EXPECT_EQ(chain.xdCapacity(), 192000);
    EXPECT_EQ(chain.xdLength(0), 22051);
}

// Faults mended: lines are never indexed outside their capacity.

TEST(CrossDelayBounds, FreeLengthOfOneSecondFitsAfterRateRiseAtHighTempo) {
    EffectChain chain;
    chain.applyHostTempo(true, 300.0);
    chain.followTempo();
    chain.setParam(EffectParam::XdLengthL, 1.0f);
    chain.setSampleRate(96000.0f);  // four beats at 300 BPM would be 76800 samples
    EXPECT_EQ(chain.xdLength(0), 96001);
    EXPECT_GE(chain.xdCapacity(), 96001);

    // The same steps on a bare delay, then the full second and one sample.
    CrossDelay delay;
    delay.applyHostTempo(true, 300.0);
    delay.setLengthValue(Side::Left, 1.0f);
    ASSERT_TRUE(delay.setSampleRate(96000.0f));
    delay.growCrossDelay();
    delay.recomputeLengths();
    ASSERT_EQ(delay.length(Side::Left), 96001);
    delay.setFeedback(1.0f);
    delay.setMix(1.0f);
    const auto out = run(delay, {{1.0f, 0.0f}}, 96002);
    EXPECT_EQ(out[96001].r, 1.0f);
}

TEST(CrossDelayBounds, HostileLengthValuesAreClampedIntoTheLine) {
    for (bool sync : {false, true}) {
        CrossDelay delay;
        delay.setSync(sync);
        delay.setFeedback(0.9f);
        delay.setMix(1.0f);
        for (float v : {2.0f, 1e30f, kInf, -1.0f, -kInf, -1e30f, kNaN}) {
            delay.setLengthValue(Side::Left, v);
            delay.setLengthValue(Side::Right, v);
            for (Side side : {Side::Left, Side::Right}) {
                EXPECT_GE(delay.length(side), 1) << v;
                EXPECT_LE(delay.length(side), delay.capacity()) << v;
                EXPECT_GE(delay.division(side), 0);
                EXPECT_LE(delay.division(side), 9);
            }
            run(delay, {{1.0f, -1.0f}}, 1000);
        }
        delay.setLengthValue(Side::Left, 2.0f);
        if (!sync) {
            EXPECT_EQ(delay.length(Side::Left), 88200);  // clamped to the whole line
        }
    }
}

TEST(CrossDelayBounds, AbsurdCapacityIsRefusedAndLengthsStayInTheOldLines) {
    EffectChain chain;
    chain.setParam(EffectParam::XdLengthL, 1.0f);
    chain.setSampleRate(1e9f);  // four beats at 120 BPM: 2e9 samples
    EXPECT_EQ(chain.xdCapacity(), 88200);
    EXPECT_EQ(chain.xdLength(0), 88200);
    chain.setSampleRate(3e38f);  // the capacity scale overflows float
    EXPECT_EQ(chain.xdCapacity(), 88200);
    EXPECT_EQ(chain.xdLength(0), 88200);

    float l = 0.0f, r = 0.0f;
    chain.setParam(EffectParam::XDelayOn, 1.0f);
    chain.setParam(EffectParam::XdFeedback, 1.0f);
    chain.setParam(EffectParam::VolumeMinor, 1.0f);
    for (int i = 0; i < 200000; ++i) chain.process(i == 0 ? 1.0f : 0.0f, 0.0f, l, r);
    EXPECT_TRUE(std::isfinite(l) && std::isfinite(r));
}

TEST(CrossDelayBounds, TinySampleRateKeepsLengthsAtLeastOneSample) {
    EffectChain chain;
    chain.setSampleRate(1.0f);
    chain.setParam(EffectParam::XdTempoSync, 1.0f);
    chain.setParam(EffectParam::XdLengthL, 0.0f);  // (1/120) * 0.25 * 60 truncates to 0
    EXPECT_EQ(chain.xdLength(0), 1);
}

}  // namespace
}  // namespace velora::effects
