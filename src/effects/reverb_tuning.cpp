// SPDX-License-Identifier: MIT
#include "effects/reverb_tuning.h"

#include <cmath>

#include "core/exact_math.h"

namespace velora::effects {

namespace {

// F = kDampingScale * log10(g): 0.25 * (1 - 1 / r^2) * ln(10).
double dampingScale() noexcept { return 0.25 * (1.0 - 1.0 / (toneRatio * toneRatio)) * exact::log(10.0); }

// The absorption filter's pole is F; at -1 and beyond the filter grows
// without bound and the tail turns into inf and NaN. That happens for times
// under the parameter range and, at the shortest time, for sample rates
// below about 21.5 kHz. There the exponent is held so that F stays at this
// bound; every line whose F lies above it keeps its exact tuning.
constexpr double kLowestPole = -0.95;

// 10^-1e-6 still rounds to a float below 1, so no line recirculates forever.
constexpr double kHighestExponent = -1e-6;

}  // namespace

float toneCoeffFor(double ratio) noexcept {
    const double root = std::sqrt(ratio);
    return static_cast<float>((1.0 - root) / (1.0 + root));
}

double reverbLineDecay(std::int32_t length, float sampleRate, float time) noexcept {
    const double seconds = time > 0.0f ? static_cast<double>(time) : static_cast<double>(kShortestReverbTime);
    double exponent = (-3.0 * static_cast<double>(length)) / (static_cast<double>(sampleRate) * seconds);
    const double lowestExponent = kLowestPole / dampingScale();
    if (!(exponent >= lowestExponent)) exponent = lowestExponent;  // also NaN
    if (exponent > kHighestExponent) exponent = kHighestExponent;
    return exact::pow(10.0, exponent);
}

DampingCoefficients reverbDamping(double decay) noexcept {
    const double f = 0.25 * (1.0 - 1.0 / (toneRatio * toneRatio)) * exact::log(10.0) * exact::log10(decay);
    return {static_cast<float>(-f), static_cast<float>((1.0 - f) * decay)};
}

}  // namespace velora::effects
