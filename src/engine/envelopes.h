// SPDX-License-Identifier: MIT
#pragma once
// The voice's main envelope (Adsr, seven stages) and the per-layer amplitude
// envelopes that follow its stage.
#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "core/numeric.h"

namespace velora::engine {

enum class Stage : std::int32_t { Attack, Decay, Sustain, Release, Tail, Fade, Ended };

inline constexpr int kFadeLength = 24;
inline constexpr float kFadeLengthF = 24.0f;
inline constexpr int kAmpRiseLength = 24;
inline constexpr float kOneOver24 = 0.0416666679084301f;

struct Adsr {
    Stage stage = Stage::Ended;
    std::int32_t attackCount = 0, decayCount = 0, releaseCount = 0, fadeCount = 0, tailCount = 0;
    float attackStep = 0.0f, decayStep = 0.0f;
    float output = 0.0f;
    float start = 0.0f;
    float releaseStart = 0.0f;
};

// The render loop moves the stage and the first three counters, and the
// four fields of an AmpEnvelope, as rows of four.
static_assert(std::is_standard_layout_v<Adsr> && sizeof(Stage) == 4);
static_assert(offsetof(Adsr, attackCount) == 4 && offsetof(Adsr, releaseCount) == 12);

// Segment lengths and levels the Adsr reads live, sample by sample.
struct EnvelopeTimes {
    std::int32_t attackLength = 24;
    std::int32_t decayLength = 24;
    std::int32_t releaseLength = 24;
    float releaseLengthF = 24.0f;
    float sustainLevel = 0.0f;
    std::int32_t tailLength = 2;
};

// What the owner must do after a step.
enum class AdsrEnd { None, EndVoice, Silence };

struct AdsrResult {
    float output;
    float releaseFraction;  // valid in release, tail and fade
    AdsrEnd end;
};

inline AdsrResult stepAdsr(Adsr& env, const EnvelopeTimes& times) noexcept {
    switch (env.stage) {
    case Stage::Attack:
        if (env.attackCount >= times.attackLength) env.stage = Stage::Decay;
        break;
    case Stage::Decay:
        if (env.decayCount >= times.decayLength) env.stage = Stage::Sustain;
        break;
    case Stage::Release:
        if (env.releaseCount >= times.releaseLength) env.stage = Stage::Tail;
        break;
    case Stage::Fade:
        if (env.fadeCount >= kFadeLength) return {0.0f, 0.0f, AdsrEnd::EndVoice};
        break;
    case Stage::Tail:
        if (env.tailCount >= times.tailLength) return {0.0f, 0.0f, AdsrEnd::EndVoice};
        break;
    case Stage::Sustain: break;
    case Stage::Ended: return {0.0f, 0.0f, AdsrEnd::Silence};
    }
    float releaseFraction = 0.0f;
    switch (env.stage) {
    case Stage::Attack:
        env.output = static_cast<float>(env.attackCount) * env.attackStep + env.start;
        ++env.attackCount;
        break;
    case Stage::Decay:
        env.output = 1.0f - static_cast<float>(env.decayCount) * env.decayStep;
        ++env.decayCount;
        break;
    case Stage::Sustain: env.output = times.sustainLevel; break;
    case Stage::Release:
        releaseFraction = 1.0f - static_cast<float>(env.releaseCount) / times.releaseLengthF;
        env.output = releaseFraction * env.releaseStart;
        ++env.releaseCount;
        break;
    case Stage::Tail:
        ++env.tailCount;
        env.output = 0.0f;
        break;
    case Stage::Fade:
        releaseFraction = 1.0f - static_cast<float>(env.fadeCount) / kFadeLengthF;
        env.output = releaseFraction * env.releaseStart;
        ++env.fadeCount;
        break;
    case Stage::Ended: break;
    }
    return {env.output, releaseFraction, AdsrEnd::None};
}

// Note-on: restart from the present output, with slopes fixed for this note.
inline void startAdsr(Adsr& env, float attackLengthF, float decayLengthF, float sustainLevel) noexcept {
    env.start = env.output;
    env.stage = Stage::Attack;
    env.attackCount = env.decayCount = env.releaseCount = env.fadeCount = env.tailCount = 0;
    env.attackStep = (1.0f - env.start) / attackLengthF;
    env.decayStep = (1.0f - sustainLevel) / decayLengthF;
}

struct AmpEnvelope {
    float output = 0.0f;
    float start = 0.0f;
    float riseStep = 0.0f;
    float decaying = 0.0f;
};

static_assert(std::is_standard_layout_v<AmpEnvelope> && sizeof(AmpEnvelope) == 16);

inline void startAmp(AmpEnvelope& env, float maxMult, float minMult) noexcept {
    env.decaying = maxMult - minMult;
    env.start = env.output;
    env.riseStep = (maxMult - env.output) * kOneOver24;
}

// Runs after this sample's Adsr step and reads its stage and counters.
inline float stepAmp(AmpEnvelope& env, const Adsr& adsr, float releaseFraction, float decayFactor,
                     float minMult) noexcept {
    if (adsr.stage == Stage::Attack && adsr.attackCount < kAmpRiseLength) {
        env.output = static_cast<float>(adsr.attackCount) * env.riseStep + env.start;
    } else if (adsr.stage == Stage::Tail) {
        env.output = 0.0f;
    } else {
        env.decaying = flushTiny(env.decaying * decayFactor);
        float out = env.decaying + minMult;
        if (adsr.stage == Stage::Release || adsr.stage == Stage::Fade) out *= releaseFraction;
        env.output = out;
    }
    return env.output;
}

}  // namespace velora::engine
