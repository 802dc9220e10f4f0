// SPDX-License-Identifier: MIT
#include "effects/reverb.h"

#include <algorithm>
#include <iterator>

#include "core/numeric.h"
#include "effects/signal_guard.h"

namespace velora::effects {

namespace {

const float kFeedbackScale = floatFromBits(0xBE2AAAABu);  // -1/6
const float kTimeScale = floatFromBits(0x409CCCCDu);      // 4.9
const float kTimeOffset = floatFromBits(0x3DCCCCCDu);     // 0.1

bool takeFlag(std::atomic<bool>& flag) noexcept {
    return flag.load(std::memory_order_relaxed) && flag.exchange(false, std::memory_order_relaxed);
}

}  // namespace

Reverb::Reverb() : toneCoeff_(toneCoeffFor(toneRatio)) { resetReverb(); }

void Reverb::resetReverb() {
    resetPending.store(false, std::memory_order_relaxed);
    loopZeroPending.store(false, std::memory_order_relaxed);
    zeroState();
    computeReverbGains();
    computeReverbDamping();
}

void Reverb::switchOn(bool on) {
    if (!on) {
        reverbOn = 0.0f;  // the state freezes
        return;
    }
    computeReverbGains();
    computeReverbDamping();
    resetPending.store(true, std::memory_order_relaxed);
    reverbOn = 1.0f;
}

float Reverb::timeOf(float value) {
    return roundToFloat(static_cast<double>(value) * static_cast<double>(kTimeScale) +
                        static_cast<double>(kTimeOffset));
}

void Reverb::setTime(float value) {
    reverbTime_ = timeOf(value);
    computeReverbGains();
    computeReverbDamping();
}

void Reverb::zeroLoops() { loopZeroPending.store(true, std::memory_order_relaxed); }

void Reverb::computeReverbGains() {
    const float rate = sampleRate_.load();
    const float time = reverbTime_.load();
    for (int i = 0; i < kReverbLineCount; ++i)
        gain[i] = static_cast<float>(reverbLineDecay(kReverbLineLengths[i], rate, time));
}

void Reverb::computeReverbDamping() {
    const float rate = sampleRate_.load();
    const float time = reverbTime_.load();
    for (int i = 0; i < kReverbLineCount; ++i) {
        const DampingCoefficients c = reverbDamping(reverbLineDecay(kReverbLineLengths[i], rate, time));
        dampA[i] = c.a;
        dampB[i] = c.b;
    }
}

void Reverb::zeroState() {
    for (auto& buffer : line) std::fill(std::begin(buffer), std::end(buffer), 0.0f);
    std::fill(std::begin(reverbLoop), std::end(reverbLoop), 0.0f);
    std::fill(std::begin(dampState), std::end(dampState), 0.0f);
    reverbFeedback = 0.0f;
    toneState = 0.0f;
    reverbReadPos = 0;
}

void Reverb::takePendingClears() noexcept {
    if (takeFlag(resetPending)) {
        loopZeroPending.store(false, std::memory_order_relaxed);
        zeroState();
    } else if (takeFlag(loopZeroPending)) {
        std::fill(std::begin(reverbLoop), std::end(reverbLoop), 0.0f);
    }
}

void Reverb::processReverb(float inL, float inR, float& outL, float& outR) noexcept {
    takePendingClears();

    const float m = (inL + inR) * 0.5f;
    const float y = flushTiny(m + toneCoeff_ * (m - toneState));
    toneState = flushTiny(m);

    const std::int32_t pos = reverbReadPos;
    const float feedback = reverbFeedback;
    float o[kReverbLineCount];
    // The lines are independent within a sample; unrolled, their fixed
    // lengths become constants and the twelve chains overlap.
#pragma GCC unroll 12
    for (int i = 0; i < kReverbLineCount; ++i) {
        const float v = reverbLoop[i] + feedback + y;
        line[i][(pos + kReverbLineLengths[i]) & reverbMask] = flushTiny(v);
        // The slot just read is written again, L samples before its next
        // read, so clearing it after the read would change nothing.
        const float loop = line[i][pos] * gain[i].load();
        reverbLoop[i] = loop;
        o[i] = flushTiny(dampB[i].load() * loop - dampA[i].load() * dampState[i]);
        dampState[i] = o[i];
    }

    const float even = o[0] + o[2] + o[4] + o[6] + o[8] + o[10];
    const float odd = o[1] + o[3] + o[5] + o[7] + o[9] + o[11];
    const float wetL = even - odd;
    const float wetR = o[0] + o[1] - o[2] + o[3] + o[4] + o[5] - o[6] - o[7] + o[8] + o[9] - o[10] - o[11];
    reverbFeedback = (even + odd) * kFeedbackScale;

    const float wet = reverbWet.load();
    const float dry = reverbDry.load();
    outL = wetL * wet + inL * dry;
    outR = inR * dry + wetR * wet;
    reverbReadPos = (pos + 1) & reverbMask;
}

}  // namespace velora::effects
