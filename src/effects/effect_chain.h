// SPDX-License-Identifier: MIT
#pragma once
// Everything between the summed voices and the host's output buffers:
// pre-gain, cross delay, distortion, reverb, balance, limit and final gain.
// Knows nothing of the host interface; the plug-in shell drives it.
#include <cstdint>

#include "core/relaxed.h"
#include "effects/cross_delay.h"
#include "effects/output_ramps.h"
#include "effects/reverb.h"

namespace velora::effects {

enum class EffectParam : int {
    XDelayOn,
    XdLengthL,
    XdFeedback,
    XdLengthR,
    XdMix,
    XdTempoSync,
    ReverbOn,
    ReverbTime,
    ReverbWet,
    ReverbDry,
    DistOn,
    DistDry,
    DistWet,
    Panning,
    VolumeMajor,
    VolumeMinor,
    Count
};

class EffectChain {
public:
    EffectChain();
    EffectChain(const EffectChain&) = delete;
    EffectChain& operator=(const EffectChain&) = delete;

    // Parameter action. Switches are on for any non-zero value; the shell
    // has already decided XdTempoSync (0 or 1). Unknown parameters are ignored.
    void setParam(EffectParam p, float v);

    // Lifecycle steps, called where the host does not process at the same time.
    void setSampleRate(float rate);    // ignored unless finite and positive
    void storeSampleRate(float rate);  // the rate only, for later parameter actions
    void open();                       // after the shell's optional tempo poll
    void resume();
    // The tempo poll without the host call: true when the tempo changed.
    bool applyHostTempo(bool answered, double tempo);
    void followTempo();      // after applyHostTempo reported a change
    void zeroReverbLoops();  // first step of a program selection

    // One output sample.
    void processOutput(float sumL, float sumR, float& outL, float& outR) noexcept;
    void process(float sumL, float sumR, float& outL, float& outR) noexcept { processOutput(sumL, sumR, outL, outR); }

    bool xdOn() const { return crossDelay_.on(); }
    bool xdSync() const { return crossDelay_.synced(); }
    float hostTempo() const { return crossDelay_.hostTempo(); }
    float reverbTime() const { return reverb_.reverbTime(); }
    float masterGain() const { return masterGain_.load(); }
    int xdDivision(int side) const { return crossDelay_.division(sideOf(side)); }
    static const char* divisionLabel(int index);
    // The master gain a "Volume Major" value gives.
    static float masterGainOf(float value);
    int xdLength(int side) const { return crossDelay_.length(sideOf(side)); }
    int xdCapacity() const { return crossDelay_.capacity(); }

    bool reverbOn() const { return reverb_.on(); }
    bool distOn() const { return distOn_.load() != 0.0f; }
    float distDry() const { return distDry_.load(); }
    float distWet() const { return distWet_.load(); }
    const CrossDelay& crossDelay() const { return crossDelay_; }
    const Reverb& reverb() const { return reverb_; }
    const BalanceRamp& balance() const { return balance_; }
    const VolumeRamp& volume() const { return volume_; }

private:
    static Side sideOf(int side) { return side == 0 ? Side::Left : Side::Right; }
    void refitCrossDelay();

    CrossDelay crossDelay_;
    Reverb reverb_;
    BalanceRamp balance_;
    VolumeRamp volume_;
    Relaxed<float> masterGain_{0.0f};
    Relaxed<float> distOn_{0.0f}, distDry_{0.0f}, distWet_{0.0f};
};

}  // namespace velora::effects
