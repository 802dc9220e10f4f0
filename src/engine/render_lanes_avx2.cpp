// SPDX-License-Identifier: MIT
// The lane code compiled for AVX2: eight voices side by side. Only the
// functions below are AVX2 code (everything included before the pragma keeps
// the baseline), so the rest of the program runs on any x86-64; the engine
// takes this path only where the CPU has AVX2.
#include "engine/synth_engine.h"

#if VELORA_AVX2_LANES

#include <immintrin.h>

#include <algorithm>
#include <bit>
#include <cstdint>

#include "engine/run_rows.h"
#include "engine/sample_values.h"
#include "engine/voice_resonator.h"

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2")
#endif

#include "engine/lane_render.h"
#include "engine/lanes_avx2.h"
#include "engine/voice_finish.h"
#include "engine/voice_resonator_avx2.h"

namespace velora::engine {

// Groups of eight while whole groups remain; a group that cannot step side
// by side goes four by four. Returns the position where it stopped.
int SynthEngine::stepEnvelopeGroups8(const SampleValues& s, SampleVoices& sv) {
    constexpr int kWidth = lanes::Avx2::kWidth;
    int first = 0;
    for (; sv.count - first >= kWidth; first += kWidth)
        if (!LaneRenderer<lanes::Avx2>::stepEnvelopeGroup(*this, s, sv, first))
            stepEnvelopeRange(s, sv, first, first + kWidth);
    return first;
}

int SynthEngine::renderLayerGroups8(SampleValues& s, int length, int count, int layered) {
    return LaneRenderer<lanes::Avx2>::renderLayerGroups(*this, s, length, count, layered, 0);
}

void SynthEngine::finishVoices8(const SampleValues& s, int length, int count) {
    auto resonate = [](VoiceResonator& r, const StageGains& gains, float x, float g, bool fading) {
        return processResonatorAvx2(r, gains, x, g, fading);
    };
    for (int j = 0; j < count; ++j) finishVoiceRun(s.gains, j, length, resonate);
}

}  // namespace velora::engine

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

#endif  // VELORA_AVX2_LANES
