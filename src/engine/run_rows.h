// SPDX-License-Identifier: MIT
#pragma once
// The buffers of one run: per sample a row over the sounding voices, by
// position in key order. Rows of 128 floats keep every group of four or
// eight voices aligned.
#include <array>

#include "engine/synth_engine.h"

namespace velora::engine {

struct SynthEngine::RunRows {
    using Floats = std::array<float, kKeyCount>;
    using Flags = std::array<bool, kKeyCount>;
    template <typename Row>
    using Rows = std::array<Row, kRunLength>;

    alignas(64) std::array<int, kKeyCount> key;
    alignas(64) std::array<int, kKeyCount> rendering;  // positions of the layered voices
    alignas(64) Rows<Floats> a, t, e;                   // Adsr, Tone and Attack envelope outputs
    alignas(64) Rows<Floats> toneOut, attackOut, noise;
    alignas(64) Rows<Floats> left, right;  // each voice's output, summed by the mix
    Rows<Flags> layers, fading;
};

}  // namespace velora::engine
