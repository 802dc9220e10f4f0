// SPDX-License-Identifier: MIT
// What setting each engine parameter does: set-up formulas in double from the
// stored float value and float32 constants, rounded once.
#include <algorithm>
#include <atomic>
#include <bit>
#include <cmath>
#include <limits>

#include "core/exact_math.h"
#include "core/midi_scale.h"
#include "engine/synth_engine.h"

namespace velora::engine {
namespace {

double c(std::uint32_t bits) { return static_cast<double>(floatFromBits(bits)); }

const double kUnisonBase = c(0x3F80006Du);          // 1.000013
const double kUnisonBaseDown = c(0x3F7FFEB0u);      // 0.99998
const double kToneUnisonSpread = c(0x3C23D70Au);    // 0.01
const double kAttackUnisonSpread = c(0x3C888889u);  // 0.016666668
// Key slope, key offset and depth of the per-key decay factors (applyDecay):
// higher keys decay faster.
const double kDecayKeySlope = c(0x3F7D70A4u);     // 0.99
const double kDecayKeyOffset = c(0x3C23D70Au);    // 0.01
const double kToneLpKeySlope = c(0x3F7FF972u);    // 0.9999
const double kToneLpKeyOffset = c(0x38D1B717u);   // 0.0001
const double kToneDecayDepth = c(0x38D1B717u);    // 0.0001
const double kAttackDecayDepth = c(0x39D1B717u);  // 0.0004
const double kResonanceSpan = c(0x4019999Au);     // 2.4

constexpr std::int32_t kMinSegment = 24;
static_assert(kVoiceParamCount <= 64, "posted parameters are two words of bits");

}  // namespace

float SynthEngine::sustainStoredValue(float v) noexcept { return std::fabs(v) < kFlushBelow ? 0.0f : v; }

float SynthEngine::storedValue(VoiceParam p) const noexcept {
    const int i = static_cast<int>(p);
    return i >= 0 && i < kVoiceParamCount ? values_.stored[i].load() : 0.0f;
}

float SynthEngine::normalizedValue(VoiceParam p, float v) const noexcept {
    if (p == VoiceParam::Sustain) return sustainStoredValue(v);
    if (p == VoiceParam::AttackUnderAdsr || p == VoiceParam::AftertouchOn) return switchStoredValue(v);
    return v;
}

void SynthEngine::setParam(VoiceParam p, float v) {
    const int index = static_cast<int>(p);
    if (index < 0 || index >= kVoiceParamCount) return;
    v = normalizedValue(p, v);
    values_.stored[index] = v;
    applyParam(p, v);
}

void SynthEngine::postParam(VoiceParam p, float v) {
    const int index = static_cast<int>(p);
    if (index < 0 || index >= kVoiceParamCount) return;
    values_.stored[index] = normalizedValue(p, v);
    postedParams_[index >> 5].fetch_or(std::uint32_t{1} << (index & 31), std::memory_order_release);
}

// The latest stored value of each posted parameter: everything derived is a
// function of the value alone, so applying only the last of several posts
// leaves the state the posts one by one would have left.
void SynthEngine::applyPostedParams() {
    for (int word = 0; word < 2; ++word) {
        if (postedParams_[word].load(std::memory_order_relaxed) == 0) continue;
        std::uint32_t bits = postedParams_[word].exchange(0, std::memory_order_acquire);
        while (bits != 0) {
            const int index = word * 32 + std::countr_zero(bits);
            bits &= bits - 1;
            applyParam(static_cast<VoiceParam>(index), values_.stored[index].load());
        }
    }
}

void SynthEngine::applyParam(VoiceParam p, float v) {
    const double d = v;
    EngineValues& e = values_;

    switch (p) {
    case VoiceParam::ToneUnisonDiff:
        e.tone.ratioUp = roundToFloat(kUnisonBase + kToneUnisonSpread * d);
        e.tone.ratioDown = roundToFloat(kUnisonBaseDown - kToneUnisonSpread * d);
        break;
    case VoiceParam::AttackUnisonDiff:
        e.attack.ratioUp = roundToFloat(kUnisonBase + kAttackUnisonSpread * d);
        e.attack.ratioDown = roundToFloat(kUnisonBaseDown - kAttackUnisonSpread * d);
        break;
    case VoiceParam::ToneUnisonAmp: e.tone.unisonAmount = v; break;
    case VoiceParam::AttackUnisonAmp: e.attack.unisonAmount = v; break;
    case VoiceParam::NoiseMix: e.noiseAmount = v; break;
    case VoiceParam::ToneWaveMix:
        e.tone.waveMix = v;
        e.tone.waveMixComplement = roundToFloat(1.0 - d);
        break;
    case VoiceParam::AttackWaveMix:
        e.attack.waveMix = v;
        e.attack.waveMixComplement = roundToFloat(1.0 - d);
        break;
    case VoiceParam::AttackFreqMult: e.attackFreqMult = roundToFloat(1.0 + 3.0 * d); break;
    case VoiceParam::VibratoFreq: applyVibratoFrequency(v); break;
    case VoiceParam::VibratoDev: e.vibratoDepth = roundToFloat(0.025 * d); break;

    case VoiceParam::ToneAmpMax: e.tone.ampMax = v; break;
    case VoiceParam::ToneAmpMin: e.tone.ampMin = v; break;
    case VoiceParam::AttackAmpMax: e.attack.ampMax = v; break;
    case VoiceParam::AttackAmpMin: e.attack.ampMin = v; break;
    case VoiceParam::ToneAmpDecay:
        applyDecay(e.tone.ampDecay, v, kDecayKeySlope, kDecayKeyOffset, kToneDecayDepth, 48000.0);
        break;
    case VoiceParam::AttackAmpDecay:
        applyDecay(e.attack.ampDecay, v, kDecayKeySlope, kDecayKeyOffset, kAttackDecayDepth, 48000.0);
        break;
    case VoiceParam::ToneLpDecay:
        applyDecay(e.tone.lpDecay, v, kToneLpKeySlope, kToneLpKeyOffset, kToneDecayDepth, 192000.0);
        break;
    case VoiceParam::AttackLpDecay:
        applyDecay(e.attack.lpDecay, v, kDecayKeySlope, kDecayKeyOffset, kAttackDecayDepth, 192000.0);
        break;
    case VoiceParam::ToneLpMax: e.tone.lpMaxMult = roundToFloat(1.0 + 23.0 * d); break;
    case VoiceParam::AttackLpMax: e.attack.lpMaxMult = roundToFloat(1.0 + 23.0 * d); break;
    case VoiceParam::ToneLpMin: e.tone.lpMinMult = roundToFloat(1.0 + 8.0 * d); break;
    case VoiceParam::AttackLpMin: e.attack.lpMinMult = roundToFloat(1.0 + 8.0 * d); break;
    case VoiceParam::ToneLpRes: applyResonance(true, v); break;
    case VoiceParam::AttackLpRes: applyResonance(false, v); break;

    case VoiceParam::Attack:
    case VoiceParam::Decay:
    case VoiceParam::Release: applyLength(p, v); break;
    case VoiceParam::Sustain: e.sustainLevel = v; break;

    case VoiceParam::Delay1: applyTaps(true, v); break;
    case VoiceParam::Delay2: applyTaps(false, v); break;
    case VoiceParam::Feedback1: applyFeedback(true, v); break;
    case VoiceParam::Feedback2: applyFeedback(false, v); break;

    case VoiceParam::ToneOn: e.tone.on = v; break;
    case VoiceParam::AttackOn: e.attack.on = v; break;
    case VoiceParam::AttackUnderAdsr: e.attackUnderAdsr = v; break;
    case VoiceParam::AftertouchOn: e.aftertouchOn = v; break;
    case VoiceParam::VoiceLimit: e.voiceLimit = truncToInt(127.0 * d); break;
    case VoiceParam::Count: break;
    }
}

void SynthEngine::applyVibratoFrequency(float v) {
    const float frequency = roundToFloat(19.99 * static_cast<double>(v) + 0.01);
    values_.vibratoFrequency = frequency;
    double increment = static_cast<double>(frequency) * static_cast<double>(values_.tableStepPerHz.load());
    // fmod is the repeated subtraction of 8192, exactly, in one step: a huge
    // frequency must not loop for ages.
    if (increment >= 8192.0) increment = std::fmod(increment, 8192.0);
    if (!std::isfinite(increment)) increment = 0.0;
    values_.vibratoIncrement = roundToFloat(increment);
}

// Per-key factor (1 - v (k/128 slope + offset) depth) ^ (rateBase / rate).
// Values 0..1 give factors in (0, 1]; other values are held to that range
// so that no envelope grows without bound or turns NaN.
void SynthEngine::applyDecay(KeyFactors& factors, float v, double keySlope, double keyOffset, double depth,
                             double rateBase) {
    const double exponent = rateBase / static_cast<double>(values_.sampleRate.load());
    const double d = v;
    for (int k = 0; k < kKeyCount; ++k) {
        const double base = 1.0 - d * (k * static_cast<double>(kPerMidiNumber) * keySlope + keyOffset) * depth;
        const float f = roundToFloat(exact::pow(base, exponent));
        factors[k] = f >= 0.0f ? std::min(f, 1.0f) : 0.0f;
    }
}

void SynthEngine::applyResonance(bool tone, float v) {
    const float q = roundToFloat(static_cast<double>(kResonanceBase) + kResonanceSpan * static_cast<double>(v));
    for (Voice& voice : voices_) {
        VoiceFilter& f = tone ? voice.toneFilter : voice.attackFilter;
        f.resonance = q;
        updateCoefficients(f, tables_.sineTable);
    }
}

// Segment length trunc(v x R) + 24, at least 24 samples and never beyond int.
void SynthEngine::applyLength(VoiceParam p, float v) {
    const double samples = static_cast<double>(v) * static_cast<double>(values_.envelopeRate.load());
    const std::int32_t length =
        truncClamped(samples, 0, std::numeric_limits<std::int32_t>::max() - kMinSegment) + kMinSegment;
    const float lengthF = static_cast<float>(length);
    switch (p) {
    case VoiceParam::Attack:
        values_.attackLength = length;
        values_.attackLengthF = lengthF;
        break;
    case VoiceParam::Decay:
        values_.decayLength = length;
        values_.decayLengthF = lengthF;
        break;
    default:
        values_.releaseLength = length;
        values_.releaseLengthF = lengthF;
        break;
    }
}

void SynthEngine::applyEnvelopeLengths() {
    values_.envelopeRate = truncToInt(values_.sampleRate.load());
    applyLength(VoiceParam::Attack, storedValue(VoiceParam::Attack));
    applyLength(VoiceParam::Decay, storedValue(VoiceParam::Decay));
    applyLength(VoiceParam::Release, storedValue(VoiceParam::Release));
}

void SynthEngine::applyTaps(bool leftSide, float delay) {
    for (Voice& voice : voices_) {
        VoiceResonator& r = voice.resonator;
        const auto taps = resonatorTaps(r.length, delay);
        const VoiceResonator::Side target = leftSide ? r.leftTap : r.rightTap;
        for (int j = 0; j < kResonatorStages; ++j) target[j] = taps[j];
    }
    const VoiceResonator& lowest = voices_[0].resonator;
    const std::int32_t tail = std::max(lowest.leftTap[0], lowest.rightTap[0]) + 1;
    values_.tailLength = tail;
    values_.tailLengthF = static_cast<float>(tail);
}

void SynthEngine::applyFeedback(bool leftSide, float feedback) {
    auto& gains = leftSide ? values_.resonatorGains.left : values_.resonatorGains.right;
    for (int j = 0; j < kResonatorStages; ++j)
        gains[j] = roundToFloat(static_cast<double>(feedback) * static_cast<double>(kStageFeedback[j]));
}

}  // namespace velora::engine
