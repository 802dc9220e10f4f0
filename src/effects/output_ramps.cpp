// SPDX-License-Identifier: MIT
#include "effects/output_ramps.h"

#include "core/numeric.h"
#include "effects/signal_guard.h"

namespace velora::effects {

namespace {

const float kRampStep = floatFromBits(0x3D2AAAABu);  // 1/24

bool running(std::int32_t pos) { return pos >= 0 && pos < kRampLength; }

// Entry k of a ramp from `start` to `target`, rounded once.
float rampEntry(float start, float target, int k) {
    return roundToFloat(static_cast<double>(start) + (static_cast<double>(target) - static_cast<double>(start)) *
                                                         static_cast<double>(k + 1) * static_cast<double>(kRampStep));
}

float boundGain(double x) {
    if (x > kGainBound) return kGainBound;
    if (x < -kGainBound) return -kGainBound;
    return static_cast<float>(x);
}

// min(x, 0.5); NaN counts as the centre.
float balanceTarget(double x) { return boundGain(x < 0.5 ? x : 0.5); }

}  // namespace

void BalanceRamp::start(float panning) {
    const std::int32_t pos = balancePos.load();
    const float startL = running(pos) ? balanceRampL[pos].load() : balanceL.load();
    const float startR = running(pos) ? balanceRampR[pos].load() : balanceR.load();
    balanceL = startL;
    balanceR = startR;
    const float targetL = balanceTarget(1.0 - static_cast<double>(panning));
    const float targetR = balanceTarget(static_cast<double>(panning));
    balanceTargetL = targetL;
    balanceTargetR = targetR;
    for (int k = 0; k < kRampLength; ++k) {
        balanceRampL[k] = rampEntry(startL, targetL, k);
        balanceRampR[k] = rampEntry(startR, targetR, k);
    }
    balancePos = 0;
}

void BalanceRamp::step(float& weightL, float& weightR) noexcept {
    const std::int32_t pos = balancePos.load();
    if (running(pos)) {
        weightL = balanceRampL[pos].load();
        weightR = balanceRampR[pos].load();
        balanceL = weightL;
        balanceR = weightR;
        balancePos = pos + 1;
    } else {
        weightL = balanceL.load();
        weightR = balanceR.load();
    }
}

void VolumeRamp::start(float target) {
    const std::int32_t pos = volumePos.load();
    const float from = running(pos) ? volumeRamp[pos].load() : volume.load();
    volume = from;
    const float to = target == target ? boundGain(target) : 0.0f;
    for (int k = 0; k < kRampLength; ++k) volumeRamp[k] = rampEntry(from, to, k);
    volumePos = 0;
}

float VolumeRamp::step() noexcept {
    const std::int32_t pos = volumePos.load();
    if (!running(pos)) return volume.load();
    const float gain = volumeRamp[pos].load();
    volume = gain;
    volumePos = pos + 1;
    return gain;
}

}  // namespace velora::effects
