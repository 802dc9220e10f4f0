#pragma once
// The state of one MIDI key's voice. Fields the render loop touches every
// sample come first; the level ramp, read one entry at a time, comes last.
#include <array>
#include <cstdint>

#include "engine/envelopes.h"
#include "engine/voice_filter.h"
#include "engine/voice_resonator.h"
#include "engine/wavetables.h"

namespace velora::engine {

inline constexpr int kLevelRampSteps = 64;

struct Voice {
    Adsr adsr;
    AmpEnvelope toneAmp, attackAmp;
    std::array<float, 3> tonePhase{};   // main, up-detuned, down-detuned
    std::array<float, 3> attackPhase{};
    LevelCache toneLevel, attackLevel;
    float toneBaseIncrement = 0.0f;
    float attackBaseIncrement = 0.0f;
    float levelScale = 0.0f;
    std::int32_t levelPos = kLevelRampSteps;
    CutoffEnvelope toneCutoff, attackCutoff;
    VoiceFilter toneFilter, attackFilter;
    VoiceResonator resonator;
    bool keySounding = false;
    bool sustainHeld = false;
    float levelBase = 0.0f;
    // 64 ramp values, then the held target.
    std::array<float, kLevelRampSteps + 1> levelRamp{};

    float gainLevel() const noexcept { return levelRamp[levelPos]; }
};

} // namespace velora::engine
