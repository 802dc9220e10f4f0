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
    EXPECT_EQ(dispatch(effSetBlockSizeAndSampleRate, 256, 48000.0f), 1);
    EXPECT_EQ(synth.blockSize(), 256);
    EXPECT_EQ(synth.sampleRate(), 48000.0f);
    EXPECT_EQ(synth.effects().xdLength(0), 22051) << "nothing is recomputed by the request itself";
    EXPECT_EQ(synth.effects().reverb().lineGain(0), static_cast<float>(effects::reverbLineDecay(601, 44100.0f, 0.1f)));

    synth.setParameter(kXdLengthL, 0.5f);
    EXPECT_EQ(synth.effects().xdLength(0), 24001);
    synth.setParameter(kReverbTime, 0.0f);
    EXPECT_EQ(synth.effects().reverb().lineGain(0), static_cast<float>(effects::reverbLineDecay(601, 48000.0f, 0.1f)));
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
