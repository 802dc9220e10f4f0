// SPDX-License-Identifier: MIT
#pragma once
// Resonant 4-pole low-pass of one voice layer (two equal biquads in series)
// and the key-tracked cutoff envelope that drives it.
#include <cstddef>
#include <type_traits>

#include "core/numeric.h"
#include "engine/wavetables.h"

namespace velora::engine {

// Highest cutoff, as a fraction of the sample rate, just below Nyquist.
inline constexpr float kCutoffCeiling = 0.4999000132083893f;
// Resonance at "LP Res" 0, and of every filter before one is set.
inline constexpr float kResonanceBase = floatFromBits(0x3DCCCCCDu);  // 0.1

struct VoiceFilter {
    // Written only by the thread that renders while blocks render: a
    // resonance change is applied there.
    float b0 = 0.0f, b1 = 0.0f, b2 = 0.0f, a0 = 0.0f, a1 = 0.0f, a2 = 0.0f;
    float cutoff = 0.0f, resonance = 0.0f;
    float s1 = 0.0f, s2 = 0.0f, s3 = 0.0f, s4 = 0.0f;
    float cosine = 0.0f, alpha = 0.0f;

    void clearState() noexcept { s1 = s2 = s3 = s4 = 0.0f; }
};

// The four states lie in a row (the render loop moves them as one register).
static_assert(std::is_standard_layout_v<VoiceFilter>);
static_assert(offsetof(VoiceFilter, s4) == offsetof(VoiceFilter, s1) + 3 * sizeof(float));
// So do b0 b1 b2 a0 and a1 a2 cutoff resonance.
static_assert(offsetof(VoiceFilter, a0) == offsetof(VoiceFilter, b0) + 3 * sizeof(float));
static_assert(offsetof(VoiceFilter, resonance) == offsetof(VoiceFilter, a1) + 3 * sizeof(float));

// Cookbook low-pass coefficients for the filter's cutoff and resonance, read
// through the sine table without interpolation.
void updateCoefficients(VoiceFilter& f, const WaveTable& sine) noexcept;

struct BiquadCoefficients {
    float b0, b1, b2, a1, a2;
};

inline BiquadCoefficients loadCoefficients(const VoiceFilter& f) noexcept { return {f.b0, f.b1, f.b2, f.a1, f.a2}; }

// One sample through both biquads (transposed direct form II).
inline float filterSample(VoiceFilter& f, const BiquadCoefficients& c, float x) noexcept {
    const float y1 = c.b0 * x + f.s1;
    f.s1 = flushTiny(c.b1 * x + f.s2 - c.a1 * y1);
    f.s2 = flushTiny(c.b2 * x - c.a2 * y1);
    const float x2 = y1;
    const float y2 = c.b0 * x2 + f.s3;
    f.s3 = flushTiny(c.b1 * x2 + f.s4 - c.a1 * y2);
    f.s4 = flushTiny(c.b2 * x2 - c.a2 * y2);
    return y2;
}

inline float filterSample(VoiceFilter& f, float x) noexcept { return filterSample(f, loadCoefficients(f), x); }

// Cutoff in Hz: a part that decays every fourth sample above a fixed floor.
struct CutoffEnvelope {
    float decaying = 0.0f;
    float floor = 0.0f;
};

// Note-on start of a layer's cutoff envelope (float32 per operation).
void startCutoff(CutoffEnvelope& env, float maxMult, float minMult, float keyFrequency, int key, int velocity) noexcept;

// One step of the envelope, then the filter follows the new cutoff.
inline void stepCutoff(CutoffEnvelope& env, VoiceFilter& filter, float decayFactor, float sampleRate,
                       const WaveTable& sine) noexcept {
    env.decaying = flushTiny(env.decaying * decayFactor);
    float fc = (env.decaying + env.floor) / sampleRate;
    if (fc >= 0.5f) fc = kCutoffCeiling;
    filter.cutoff = fc;
    updateCoefficients(filter, sine);
}

}  // namespace velora::engine
