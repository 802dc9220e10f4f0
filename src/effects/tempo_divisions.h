// SPDX-License-Identifier: MIT
#pragma once
// The ten note values a tempo-synced cross-delay length can take.
#include <cstdint>

namespace velora::effects {

inline constexpr int kTempoDivisionCount = 10;

struct TempoDivision {
    float multiplier;  // length in beats
    const char* label;
};

// Entry at index, with the index clamped into 0..9.
const TempoDivision& tempoDivision(int index) noexcept;

// Division index of a length parameter value: trunc(10 * v) clamped to 0..9,
// so v = 1 picks the last entry.
std::int32_t divisionIndexOf(float value) noexcept;

}  // namespace velora::effects
