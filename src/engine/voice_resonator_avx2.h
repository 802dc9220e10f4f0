// SPDX-License-Identifier: MIT
#pragma once
// processResonator with a voice's whole frame (eight lines) in one AVX2
// register: the same sums, element for element. Include only where AVX2
// code is compiled (render_lanes_avx2.cpp).
#include <immintrin.h>

#include <cstddef>
#include <cstdint>

#include "engine/lanes_avx2.h"
#include "engine/voice_resonator.h"

namespace velora::engine {

inline constexpr std::uintptr_t kWriteAheadBytes = 4 * kLinesPerVoice * sizeof(float);

[[gnu::always_inline]] inline StereoSample processResonatorAvx2(VoiceResonator& r, const StageGains& gains, float x,
                                                                float g, bool fading) noexcept {
    using L = lanes::Avx2;
    const std::int32_t n = r.length;
    if (n <= 0) return {0.0f, 0.0f};
    const std::int32_t w = r.position;
    float* const frames = r.lines;
    const __m256 now = _mm256_loadu_ps(frames + static_cast<std::ptrdiff_t>(w) * kLinesPerVoice);  // u1 v1 .. u4 v4
    const __m256 swapped = _mm256_permute_ps(now, _MM_SHUFFLE(2, 3, 0, 1));                        // v1 u1 .. v4 u4
    // Each stage's inputs: x for the first, the previous stage's reads
    // (swapped) for the others: x x v1 u1 v2 u2 v3 u3.
    const __m256 shifted = _mm256_permutevar8x32_ps(swapped, _mm256_setr_epi32(0, 0, 0, 1, 2, 3, 4, 5));
    const __m256 in = _mm256_blend_ps(shifted, _mm256_set1_ps(x), 0x03);
    const __m256 sums = L::flushTiny(L::mul(L::add(L::mul(swapped, _mm256_loadu_ps(gains.crossed.data())), in),
                                            _mm256_setr_ps(1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, g, g)));
    // Write positions w + tap, less N where they reach N, as indexes of the
    // values in the frames.
    const __m256i length = _mm256_set1_epi32(n);
    __m256i p =
        _mm256_add_epi32(_mm256_set1_epi32(w), _mm256_loadu_si256(reinterpret_cast<const __m256i*>(r.taps.data())));
    p = _mm256_sub_epi32(p, _mm256_andnot_si256(_mm256_cmpgt_epi32(length, p), length));
    p = _mm256_add_epi32(_mm256_slli_epi32(p, 3), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
    L::Floats values;
    values.store(sums);
    L::Ints at;
    at.store(p);
    for (int k = 0; k < kLinesPerVoice; ++k) {
        // Never negative: as unsigned, no sign extension per write.
        float* const to = frames + static_cast<std::uint32_t>(at[k]);
        *to = values[k];
        // prefetchForWrite's hint, spelt out: compiled for AVX2 the builtin
        // write prefetch is dropped where the CPU lacks PREFETCHW.
        _mm_prefetch(reinterpret_cast<const char*>(reinterpret_cast<std::uintptr_t>(to) + kWriteAheadBytes),
                     _MM_HINT_T0);
    }
    const __m128 late = _mm256_extractf128_ps(now, 1);  // u3 v3 u4 v4
    float left = _mm_cvtss_f32(_mm_movehl_ps(late, late));
    float right = _mm_cvtss_f32(_mm_shuffle_ps(late, late, _MM_SHUFFLE(3, 3, 3, 3)));
    if (fading) {
        left *= g;
        right *= g;
    }
    r.position = w + 1 == n ? 0 : w + 1;
    __builtin_prefetch(frames + static_cast<std::ptrdiff_t>(r.position) * kLinesPerVoice);
    return {left, right};
}

}  // namespace velora::engine
