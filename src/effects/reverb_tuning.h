// SPDX-License-Identifier: MIT
#pragma once
// Set-up of the reverb's twelve lines: their fixed lengths, the decay gain of
// each line for a reverberation time, and its absorption filter.
#include <cstdint>

#include "core/numeric.h"

namespace velora::effects {

inline constexpr int kReverbLineCount = 12;
inline constexpr std::int32_t kReverbLineLengths[kReverbLineCount] = {601,  691,  773,  839,  919,  997,
                                                                      1061, 1093, 1129, 1151, 1171, 1187};

// Design ratio from which the tone and absorption filters are derived.
inline constexpr double toneRatio = doubleFromBits(0x4033FFFFF2AAAAB4u);

// The tone-correction coefficient, (1 - sqrt(r)) / (1 + sqrt(r)) rounded once.
float toneCoeffFor(double ratio) noexcept;

// Times that are not positive (a "Reverb Time" value of -0.0204 or less) are
// taken as the shortest time of the parameter's range.
inline constexpr float kShortestReverbTime = 0.1f;

// Gain g of a line of `length` samples that falls by 60 dB in `time`
// seconds: 10 ^ (-3 * length / (rate * time)), kept in double. Its exponent
// is limited so that g stays below 1 and the line's absorption filter stays
// stable (see reverb_tuning.cpp); ordinary rates and times are untouched.
double reverbLineDecay(std::int32_t length, float sampleRate, float time) noexcept;

struct DampingCoefficients {
    float a;  // -F
    float b;  // (1 - F) * g
};

// The one-pole absorption filter of a line with decay g (double): unity-gain
// shape scaled to g at zero frequency, brighter toward the top.
DampingCoefficients reverbDamping(double decay) noexcept;

}  // namespace velora::effects
