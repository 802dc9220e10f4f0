// SPDX-License-Identifier: MIT
#pragma once
// Feedback delay network of twelve recirculating lines fed by the mono sum
// through a tone-correction filter; two differently signed sums of the
// damped line outputs make the left and right wet signals.
#include <atomic>
#include <cstdint>

#include "core/relaxed.h"
#include "effects/reverb_tuning.h"

namespace velora::effects {

class Reverb {
public:
    static constexpr std::int32_t kLineSize = 2048;

    Reverb();  // silent, tuned for the shortest time at 44100 Hz

    // Set-up: clears and re-derives everything at once. Never concurrent
    // with processReverb.
    void resetReverb();

    // Parameter actions; safe from any thread. State clears requested here
    // are carried out by the audio side before its next sample.
    void switchOn(bool on);
    void setTime(float value);
    // The reverb time in seconds a "Reverb Time" value gives.
    static float timeOf(float value);
    void setWet(float value) { reverbWet = value; }
    void setDry(float value) { reverbDry = value; }
    void zeroLoops();  // program selection
    // The rate used by the next gain computation; the gains in force stay.
    void setSampleRate(float rate) { sampleRate_ = rate; }

    void processReverb(float inL, float inR, float& outL, float& outR) noexcept;

    bool on() const { return reverbOn.load() != 0.0f; }
    float reverbTime() const { return reverbTime_.load(); }
    float toneCoeff() const { return toneCoeff_; }
    float lineGain(int line) const { return gain[line].load(); }
    DampingCoefficients damping(int line) const { return {dampA[line].load(), dampB[line].load()}; }

private:
    void computeReverbGains();
    void computeReverbDamping();
    void zeroState();
    void takePendingClears() noexcept;

    static constexpr std::int32_t reverbMask = kLineSize - 1;

    // Audio-side state. Each line is padded by one cache line so that the
    // twelve read positions do not all fall into the same cache set.
    static constexpr std::int32_t kLineStride = kLineSize + 16;
    float line[kReverbLineCount][kLineStride];
    float reverbLoop[kReverbLineCount];
    float dampState[kReverbLineCount];
    float reverbFeedback = 0.0f;
    float toneState = 0.0f;
    std::int32_t reverbReadPos = 0;

    // Written by parameter actions, read per sample.
    Relaxed<float> gain[kReverbLineCount];
    Relaxed<float> dampA[kReverbLineCount];
    Relaxed<float> dampB[kReverbLineCount];
    Relaxed<float> reverbTime_{kShortestReverbTime};
    Relaxed<float> reverbWet{0.0f}, reverbDry{0.0f}, reverbOn{0.0f};
    Relaxed<float> sampleRate_{44100.0f};
    const float toneCoeff_;

    std::atomic<bool> resetPending{false};
    std::atomic<bool> loopZeroPending{false};
};

}  // namespace velora::effects
