// SPDX-License-Identifier: MIT
#pragma once
// Level ramp and resonator of one voice, added to the mix; over the
// resonator form of the instruction set that compiles it.
#include "engine/sample_values.h"
#include "engine/synth_engine.h"

namespace velora::engine {

template <typename Resonate>
[[gnu::always_inline]] inline void SynthEngine::finishVoice(const SampleValues& s, const SampleVoices& sv, int j,
                                                            float& mixL, float& mixR, Resonate resonate) {
    Voice& v = voices_[sv.key[j]];
    float x = 0.0f;
    if (sv.layers[j]) {
        x = (sv.toneOut[j] + sv.attackOut[j]) * v.levelRamp[v.levelPos] * v.levelScale;
        if (v.levelPos < kLevelRampSteps) ++v.levelPos;
    }
    const float g = 0.5f * (sv.t[j] + sv.e[j]);
    const StereoSample out = resonate(v.resonator, s.gains, x, g, sv.fading[j]);
    mixL += out.left;
    mixR += out.right;
}

}  // namespace velora::engine
