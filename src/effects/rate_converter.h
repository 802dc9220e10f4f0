// SPDX-License-Identifier: MIT
#pragma once
// Runs the voices and the effect chain at the rate the factory sounds were
// made at and converts their output to the host's rate. Every stage of the
// sound (integer key periods and taps, cutoff ceilings, per-sample envelope
// and ramp steps, noise, reverb and delay lengths) then behaves as at that
// rate, whatever the host runs at. At the design rate itself, and at rates
// too low to carry the sound's band, it stands aside and the engine renders
// straight into the host's buffers.
#include <cstdint>
#include <vector>

#include "effects/resampling_kernel.h"

namespace velora::effects {

inline constexpr float kDesignRate = 44100.0f;
inline constexpr float kLowestConvertedRate = 22050.0f;

// Where the engine's samples come from: renders `count` (at most
// RateConverter::kChunk) samples of the design rate into left and right.
class RateSource {
public:
    virtual void renderEngine(float* left, float* right, int count) = 0;

protected:
    ~RateSource() = default;
};

class RateConverter {
public:
    static constexpr int kChunk = 1024;

    // Outside rendering: chooses the engine's rate for the host's rate,
    // designs the kernel and clears the history. Unusable rates are ignored.
    void setHostRate(float hostRate);
    // Outside rendering: forgets the history (silence before the next block).
    void reset();
    // Between blocks: the engine's past output becomes silence, as when every
    // voice stops at once; the timing of queued events is kept.
    void silenceHistory() noexcept;

    // The rate the engine runs at for a host rate.
    static float engineRateFor(float hostRate);
    static bool converts(float hostRate) { return hostRate != kDesignRate && hostRate >= kLowestConvertedRate; }

    bool active() const { return active_; }
    float hostRate() const { return hostRate_; }
    float engineRate() const { return engineRate_; }
    // The delay in whole host samples, for the host's latency compensation:
    // host sample n carries the sound of instant n - latency().
    int latency() const { return latency_; }

    // The engine sample at which an event `hostOffset` samples into the next
    // block is due, counted from the engine's next sample.
    std::int32_t engineOffset(std::int32_t hostOffset) const;

    // Fills `frames` host samples, rendering exactly as many engine samples as
    // they need. Allocates nothing.
    void process(float* left, float* right, int frames, RateSource& source) noexcept;

private:
    void makeRoom() noexcept;
    void trackPeak(int from) noexcept;
    template <bool kBlend>
    void convert(float* left, float* right, int frames, RateSource& source) noexcept;

    bool active_ = false;
    float hostRate_ = kDesignRate;
    float engineRate_ = kDesignRate;
    int latency_ = 0;
    std::int64_t inRate_ = 0, outRate_ = 0;  // the exact ratio, in whole hertz
    std::int64_t phaseStep_ = 0;             // remainder per exact kernel row; 0 when rows are blended
    ResamplingKernel kernel_;
    // The newest engine samples; entry p holds engine sample rendered_ - count_ + p.
    std::vector<float> historyL_, historyR_;
    int count_ = 0;
    std::int64_t rendered_ = 0;
    // The next host sample's kernel centre lies at engine time
    // next_ + remainder_ / outRate_ - taps / 2, its own instant latency_ host samples earlier.
    std::int64_t next_ = 0, remainder_ = 0;
    std::int64_t produced_ = 0;  // host samples since the last reset
    // The largest magnitude in the history, which holds every sample a
    // kernel reaches: the converted output never exceeds it, so it stays
    // within the final gain as the engine's own output does.
    float peak_ = 0.0f;
};

}  // namespace velora::effects
