// SPDX-License-Identifier: MIT
#pragma once
// MIDI numbers and values as fractions: the float constants every such
// conversion shares.
#include "core/numeric.h"

namespace velora {

// A 7-bit value v (velocity, controller value) as v / 127: the float nearest
// 1/127.
inline constexpr float kPerMidiValue = floatFromBits(0x3C010204u);
// A MIDI number n (key, controller) as n / 128.
inline constexpr float kPerMidiNumber = 0.0078125f;

static_assert(kPerMidiValue == 0.007874015718698502f);

}  // namespace velora
