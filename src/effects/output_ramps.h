// SPDX-License-Identifier: MIT
#pragma once
// The 24-sample ramps that smooth "Panning" and "Volume Minor". A parameter
// change refills a ramp from the value next due; the audio side takes one
// entry per sample.
#include <cstdint>

#include "core/relaxed.h"

namespace velora::effects {

inline constexpr int kRampLength = 24;

// Ramp targets are kept within +-kGainBound (+120 dB), far beyond the
// parameter range, so that every ramp entry and every output stays finite.
inline constexpr float kGainBound = 1e6f;

class BalanceRamp {
public:
    void start(float panning);  // parameter action
    void step(float& weightL, float& weightR) noexcept;

    float weightL() const { return balanceL.load(); }
    float weightR() const { return balanceR.load(); }
    float targetL() const { return balanceTargetL.load(); }
    float targetR() const { return balanceTargetR.load(); }
    std::int32_t position() const { return balancePos.load(); }

private:
    Relaxed<float> balanceRampL[kRampLength];
    Relaxed<float> balanceRampR[kRampLength];
    Relaxed<float> balanceL{0.0f}, balanceR{0.0f};
    Relaxed<float> balanceTargetL{0.0f}, balanceTargetR{0.0f};
    Relaxed<std::int32_t> balancePos{0};
};

class VolumeRamp {
public:
    void start(float target);  // parameter action
    float step() noexcept;     // the final gain for this sample

    float gain() const { return volume.load(); }
    std::int32_t position() const { return volumePos.load(); }

private:
    Relaxed<float> volumeRamp[kRampLength];
    Relaxed<float> volume{0.0f};
    Relaxed<std::int32_t> volumePos{0};
};

}  // namespace velora::effects
