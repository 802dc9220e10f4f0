// SPDX-License-Identifier: MIT
#pragma once
// The state of one MIDI key's voice. Fields the render loop touches every
// sample come first; the level ramp, read one entry at a time, comes last.
#include <array>
#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "engine/envelopes.h"
#include "engine/voice_filter.h"
#include "engine/voice_resonator.h"
#include "engine/wavetables.h"

namespace velora::engine {

inline constexpr int kLevelRampSteps = 64;

struct Voice {
    Adsr adsr;
    AmpEnvelope toneAmp, attackAmp;
    // Each layer's phases of its main, up- and down-detuned copies, then its
    // base increment: four floats in a row, which the render loop moves as
    // one register.
    std::array<float, 3> tonePhase{};
    float toneBaseIncrement = 0.0f;
    std::array<float, 3> attackPhase{};
    float attackBaseIncrement = 0.0f;
    LevelCache toneLevel, attackLevel;
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

static_assert(std::is_standard_layout_v<Voice>);
static_assert(offsetof(Voice, toneBaseIncrement) == offsetof(Voice, tonePhase) + 3 * sizeof(float));
static_assert(offsetof(Voice, attackBaseIncrement) == offsetof(Voice, attackPhase) + 3 * sizeof(float));

}  // namespace velora::engine
