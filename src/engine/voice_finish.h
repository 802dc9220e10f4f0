// SPDX-License-Identifier: MIT
#pragma once
// Level ramp and resonator of one voice over a run, into its output rows;
// over the resonator form of the instruction set that compiles it.
#include "engine/run_rows.h"
#include "engine/synth_engine.h"

namespace velora::engine {

template <typename Resonate>
[[gnu::always_inline]] inline void SynthEngine::finishVoiceRun(const StageGains& gains, int j, int length,
                                                               Resonate resonate) {
    RunRows& rows = *rows_;
    Voice& v = voices_[rows.key[j]];
    for (int k = 0; k < length; ++k) {
        float x = 0.0f;
        if (rows.layers[k][j]) {
            x = (rows.toneOut[k][j] + rows.attackOut[k][j]) * v.levelRamp[v.levelPos] * v.levelScale;
            if (v.levelPos < kLevelRampSteps) ++v.levelPos;
        }
        const float g = 0.5f * (rows.t[k][j] + rows.e[k][j]);
        const StereoSample out = resonate(v.resonator, gains, x, g, rows.fading[k][j]);
        rows.left[k][j] = out.left;
        rows.right[k][j] = out.right;
    }
}

}  // namespace velora::engine
