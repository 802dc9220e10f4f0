// SPDX-License-Identifier: MIT
#pragma once
// Quantities derived from parameter values when a parameter is set, read by
// the render loop sample by sample from another thread.
#include <array>
#include <cstdint>

#include "core/relaxed.h"
#include "engine/voice_param.h"
#include "engine/voice_resonator.h"

namespace velora::engine {

using KeyFactors = std::array<Relaxed<float>, 128>;

struct LayerValues {
    Relaxed<float> on;
    Relaxed<float> ratioUp, ratioDown;
    Relaxed<float> unisonAmount;
    Relaxed<float> waveMix, waveMixComplement;  // weights of fullWave and oddWave
    Relaxed<float> ampMax, ampMin;
    KeyFactors ampDecay;
    Relaxed<float> lpMaxMult, lpMinMult;
    KeyFactors lpDecay;
};

struct EngineValues {
    LayerValues tone, attack;
    Relaxed<float> attackFreqMult;
    Relaxed<float> noiseAmount;
    Relaxed<float> vibratoFrequency;  // Hz, as the display shows it
    Relaxed<float> vibratoIncrement;
    Relaxed<float> vibratoDepth;
    Relaxed<float> attackUnderAdsr;
    Relaxed<float> aftertouchOn;

    Relaxed<std::int32_t> attackLength{24}, decayLength{24}, releaseLength{24};
    Relaxed<float> attackLengthF{24.0f}, decayLengthF{24.0f}, releaseLengthF{24.0f};
    Relaxed<float> sustainLevel;
    Relaxed<std::int32_t> tailLength{2};
    Relaxed<float> tailLengthF{2.0f};

    ResonatorGains resonatorGains;
    Relaxed<std::int32_t> voiceLimit{8};

    Relaxed<float> sampleRate{44100.0f};
    Relaxed<float> tableStepPerHz{8192.0f / 44100.0f};
    Relaxed<float> levelLimit{4096.0f};
    Relaxed<std::int32_t> envelopeRate{44100};

    // The values last passed to each parameter, for recomputation when the
    // sample rate changes.
    std::array<Relaxed<float>, kVoiceParamCount> stored;
};

}  // namespace velora::engine
