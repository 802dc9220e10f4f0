// SPDX-License-Identifier: MIT
// How the host's sample-rate requests reach an instance: the combined
// block-size-and-rate request stores the rate without recomputing anything,
// yet every later parameter change works at the stored rate.
#include <gtest/gtest.h>

#include <cmath>

#include "effects/reverb_tuning.h"
#include "shell/synth_effect.h"
#include "support/in_process_host.h"

namespace velora {
namespace {

using namespace vst;

constexpr int kXdLengthL = 66;
constexpr int kReverbTime = 78;
constexpr int kTempoSync = 99;

class SampleRateLifecycle : public ::testing::Test {
protected:
    SampleRateLifecycle() {
        synth.setParameter(kTempoSync, 0.0f);  // free lengths
        synth.setParameter(kXdLengthL, 0.5f);
        synth.setParameter(kReverbTime, 0.0f);
    }
    VstIntPtr dispatch(VstInt32 opcode, VstIntPtr value, float opt) {
        return synth.dispatcher(opcode, 0, value, nullptr, opt);
    }
    SynthEffect synth{test::inProcessHost};
};

TEST_F(SampleRateLifecycle, CombinedRequestStoresTheRateForLaterParameterChanges) {
    ASSERT_EQ(synth.effects().xdLength(0), 22051);  // trunc(0.5 x 44100) + 1
    // A rate below the converted ones: the engine itself runs at it.
    EXPECT_EQ(dispatch(effSetBlockSizeAndSampleRate, 256, 16000.0f), 1);
    EXPECT_EQ(synth.blockSize(), 256);
    EXPECT_EQ(synth.sampleRate(), 16000.0f);
    EXPECT_EQ(synth.effects().xdLength(0), 22051) << "nothing is recomputed by the request itself";
    EXPECT_EQ(synth.effects().reverb().lineGain(0), static_cast<float>(effects::reverbLineDecay(601, 44100.0f, 0.1f)));

    synth.setParameter(kXdLengthL, 0.5f);
    EXPECT_EQ(synth.effects().xdLength(0), 8001);
    synth.setParameter(kReverbTime, 0.0f);
    EXPECT_EQ(synth.effects().reverb().lineGain(0), static_cast<float>(effects::reverbLineDecay(601, 16000.0f, 0.1f)));
}

// Host answers recorded for the latency test.
int ioChangedCalls = 0;
VstIntPtr countingHost(AEffect* e, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    if (opcode == audioMasterIOChanged) ++ioChangedCalls;
    return test::inProcessHost(e, opcode, index, value, ptr, opt);
}

TEST(SampleRateConversion, EngineAndEffectsStayAtTheDesignRateAndTheHostLearnsTheLatency) {
    ioChangedCalls = 0;
    SynthEffect synth{countingHost};
    synth.dispatcher(effOpen, 0, 0, nullptr, 0.0f);
    synth.setParameter(kTempoSync, 0.0f);
    EXPECT_EQ(synth.effect()->initialDelay, 0);
    struct Step {
        float rate;
        bool converts;
        int calls;  // audioMasterIOChanged calls so far
    };
    for (Step s : {Step{48000.0f, true, 1}, Step{96000.0f, true, 2}, Step{96000.0f, true, 2}, Step{44100.0f, false, 3},
                   Step{16000.0f, false, 3}}) {
        synth.dispatcher(effSetSampleRate, 0, 0, nullptr, s.rate);
        synth.setParameter(kXdLengthL, 0.5f);
        EXPECT_EQ(synth.rateConverter().active(), s.converts) << s.rate;
        EXPECT_EQ(synth.engine().sampleRate(), s.converts ? 44100.0f : s.rate) << s.rate;
        EXPECT_EQ(synth.effects().xdLength(0), static_cast<int>(0.5 * (s.converts ? 44100.0 : s.rate)) + 1) << s.rate;
        EXPECT_EQ(synth.effect()->initialDelay, synth.rateConverter().latency()) << s.rate;
        EXPECT_EQ(synth.effect()->initialDelay > 0, s.converts) << s.rate;
        EXPECT_EQ(ioChangedCalls, s.calls) << s.rate;
    }
}

TEST_F(SampleRateLifecycle, CombinedRequestIgnoresUnusableRates) {
    for (float rate : {0.0f, -48000.0f, NAN, INFINITY}) {
        dispatch(effSetBlockSizeAndSampleRate, 128, rate);
        synth.setParameter(kXdLengthL, 0.5f);
        EXPECT_EQ(synth.sampleRate(), 44100.0f);
        EXPECT_EQ(synth.effects().xdLength(0), 22051) << rate;
    }
}

}  // namespace
}  // namespace velora
