// SPDX-License-Identifier: MIT
#pragma once
// The waveshaper: s * (dry + wet * ln|s|), with ln|s| replaced by its cubic
// Taylor polynomial about |s| = 1, so full scale passes at the dry gain.
#include <cmath>

#include "effects/signal_guard.h"

namespace velora::effects {

inline float shapeSample(float s, float dry, float wet) noexcept {
    const float f = std::fabs(s) - 1.0f;
    return s * (dry + wet * f * (1.0f - 0.5f * f + 0.33333334f * f * f));
}

// "Dist. Dry" value -> linear term.
inline float distortionDryGain(float value) noexcept { return roundToFloat(2.0 * static_cast<double>(value)); }

// "Dist. Wet" value -> shaping term, -5..5.
inline float distortionWetGain(float value) noexcept { return roundToFloat((static_cast<double>(value) - 0.5) * 10.0); }

}  // namespace velora::effects
