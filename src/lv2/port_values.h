// SPDX-License-Identifier: MIT
#pragma once
// Between a control port's value and the parameter value setParameter takes.
// Every port carries the normalised 0..1 value, except the voice limit, which
// a port shows as a whole number of voices.
#include <cmath>
#include <cstdint>

#include "core/midi_scale.h"
#include "core/numeric.h"
#include "core/param_id.h"

namespace velora::lv2 {

inline constexpr float kMinVoices = 1.0f;
inline constexpr float kMaxVoices = 127.0f;

// The value of a port that sets `param`, brought into the port's range;
// false for NaN, which leaves the parameter as it is.
inline bool portValueInRange(std::int32_t param, float value, float& clamped) {
    if (std::isnan(value)) return false;
    const float lo = param == kParamVoiceLimit ? kMinVoices : 0.0f;
    const float hi = param == kParamVoiceLimit ? kMaxVoices : 1.0f;
    clamped = value < lo ? lo : (value > hi ? hi : value);
    if (param == kParamVoiceLimit) clamped = std::floor(clamped + 0.5f);
    return true;
}

// A voice count n becomes a value just above n/127, as the factory sounds
// store it, so the engine's truncation gives exactly n voices.
inline float parameterFromPort(std::int32_t param, float portValue) {
    return param == kParamVoiceLimit ? (portValue + 0.0001f) * kPerMidiValue : portValue;
}

// The port value showing parameter value `value`: the engine's voice count
// for the voice limit (at least one), else the value itself.
inline float portFromParameter(std::int32_t param, float value) {
    if (param != kParamVoiceLimit) return value;
    const std::int32_t voices = truncClamped(127.0 * static_cast<double>(value), 1, 127);
    return static_cast<float>(voices);
}

}  // namespace velora::lv2
