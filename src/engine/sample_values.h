// SPDX-License-Identifier: MIT
#pragma once
// What the render loop reads once per sample: the engine values after the
// due events have acted, shared by the one-voice and the lane code.
#include "engine/synth_engine.h"

namespace velora::engine {

struct SynthEngine::SampleValues {
    struct Layer {
        bool on;
        float ratioUp, ratioDown, unisonAmount, waveMix, waveMixComplement, ampMin;
    };
    Layer tone, attack;
    float attackFreqMult, noiseAmount;
    bool attackUnderAdsr;
    float bendFactor, levelLimit, sampleRate, vibratoValue;
    bool filterStep;
    EnvelopeTimes times;
    StageGains gains;
};

}  // namespace velora::engine
