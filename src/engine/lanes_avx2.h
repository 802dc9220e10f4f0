// SPDX-License-Identifier: MIT
#pragma once
// Eight voices side by side in the lanes of an AVX2 register: the same
// operations as lanes::Sse2, lane for lane, so every lane gives the bits of
// the one-voice code. No fused multiply-add anywhere. Include only where the
// functions that use it are compiled for AVX2 (render_lanes_avx2.cpp).
#include <immintrin.h>

#include <cstdint>

#include "core/numeric.h"

namespace velora::engine::lanes {

struct Avx2 {
    static constexpr int kWidth = 8;
    static constexpr int kAll = (1 << kWidth) - 1;
    using F = __m256;
    using I = __m256i;

    struct alignas(32) Floats {
        float v[kWidth];
        F load() const noexcept { return _mm256_load_ps(v); }
        void store(F x) noexcept { _mm256_store_ps(v, x); }
        float operator[](int i) const noexcept { return v[i]; }
        float& operator[](int i) noexcept { return v[i]; }
    };
    struct alignas(32) Ints {
        std::int32_t v[kWidth];
        void store(I x) noexcept { _mm256_store_si256(reinterpret_cast<I*>(v), x); }
        std::int32_t operator[](int i) const noexcept { return v[i]; }
    };
    struct Columns {
        F c0, c1, c2, c3;
    };

    static F splat(float x) noexcept { return _mm256_set1_ps(x); }
    static F zero() noexcept { return _mm256_setzero_ps(); }
    static F add(F a, F b) noexcept { return _mm256_add_ps(a, b); }
    static F sub(F a, F b) noexcept { return _mm256_sub_ps(a, b); }
    static F mul(F a, F b) noexcept { return _mm256_mul_ps(a, b); }
    static F div(F a, F b) noexcept { return _mm256_div_ps(a, b); }
    static I splatInt(std::int32_t x) noexcept { return _mm256_set1_epi32(x); }
    static I subInt(I a, I b) noexcept { return _mm256_sub_epi32(a, b); }
    static I truncate(F x) noexcept { return _mm256_cvttps_epi32(x); }
    static F toFloats(I x) noexcept { return _mm256_cvtepi32_ps(x); }
    static I asInts(F x) noexcept { return _mm256_castps_si256(x); }
    static F asFloats(I x) noexcept { return _mm256_castsi256_ps(x); }
    // The per-sample arrays are aligned for four lanes only.
    static F load(const float* p) noexcept { return _mm256_loadu_ps(p); }
    static void store(float* p, F x) noexcept { _mm256_storeu_ps(p, x); }
    // The predicates of cmpge, cmpeq, cmplt and cmpord in the four-lane code.
    static F atLeast(F a, F b) noexcept { return _mm256_cmp_ps(a, b, _CMP_GE_OS); }
    static F same(F a, F b) noexcept { return _mm256_cmp_ps(a, b, _CMP_EQ_OQ); }
    static I equal(I a, I b) noexcept { return _mm256_cmpeq_epi32(a, b); }
    static I less(I a, I b) noexcept { return _mm256_cmpgt_epi32(b, a); }
    static F bitAnd(F a, F b) noexcept { return _mm256_and_ps(a, b); }
    static I bitAnd(I a, I b) noexcept { return _mm256_and_si256(a, b); }
    static I bitOr(I a, I b) noexcept { return _mm256_or_si256(a, b); }
    static int laneBits(F mask) noexcept { return _mm256_movemask_ps(mask); }
    static int laneBits(I mask) noexcept { return _mm256_movemask_ps(_mm256_castsi256_ps(mask)); }
    static F finite(F x) noexcept {
        const F zeroed = mul(x, zero());
        return _mm256_cmp_ps(zeroed, zeroed, _CMP_ORD_Q);
    }
    static F select(F mask, F a, F b) noexcept {
        return _mm256_or_ps(_mm256_andnot_ps(mask, a), _mm256_and_ps(mask, b));
    }
    static F flushTiny(F x) noexcept {
        const F magnitude = _mm256_and_ps(x, _mm256_castsi256_ps(_mm256_set1_epi32(0x7FFFFFFF)));
        return _mm256_andnot_ps(_mm256_cmp_ps(magnitude, splat(kFlushBelow), _CMP_LT_OS), x);
    }
    static int belowBits(F x, std::uint32_t limit) noexcept {
        const I bias = _mm256_set1_epi32(static_cast<int>(0x80000000u));
        const I bits = _mm256_xor_si256(_mm256_castps_si256(x), bias);
        const I bound = _mm256_xor_si256(_mm256_set1_epi32(static_cast<int>(limit)), bias);
        return laneBits(_mm256_cmpgt_epi32(bound, bits));
    }

    template <typename Get>
    static F gather(Get get) noexcept {
        return _mm256_setr_ps(get(0), get(1), get(2), get(3), get(4), get(5), get(6), get(7));
    }
    template <typename Put>
    static void scatter(F x, Put put) noexcept {
        Floats f;
        f.store(x);
        for (int i = 0; i < kWidth; ++i) put(i, f[i]);
    }

    // Rows i and i + 4 share a register (low and high half), so one in-half
    // four-by-four transpose gives the columns in lane order.
    static Columns transpose(F r0, F r1, F r2, F r3) noexcept {
        const F t0 = _mm256_unpacklo_ps(r0, r1), t1 = _mm256_unpacklo_ps(r2, r3);
        const F t2 = _mm256_unpackhi_ps(r0, r1), t3 = _mm256_unpackhi_ps(r2, r3);
        return {_mm256_shuffle_ps(t0, t1, _MM_SHUFFLE(1, 0, 1, 0)), _mm256_shuffle_ps(t0, t1, _MM_SHUFFLE(3, 2, 3, 2)),
                _mm256_shuffle_ps(t2, t3, _MM_SHUFFLE(1, 0, 1, 0)), _mm256_shuffle_ps(t2, t3, _MM_SHUFFLE(3, 2, 3, 2))};
    }
    static F rowPair(const float* low, const float* high) noexcept {
        return _mm256_insertf128_ps(_mm256_castps128_ps256(_mm_loadu_ps(low)), _mm_loadu_ps(high), 1);
    }
    static Columns loadColumns(const float* const (&row)[kWidth]) noexcept {
        return transpose(rowPair(row[0], row[4]), rowPair(row[1], row[5]), rowPair(row[2], row[6]),
                         rowPair(row[3], row[7]));
    }
    static void storeColumns(float* const (&row)[kWidth], Columns c) noexcept {
        const Columns r = transpose(c.c0, c.c1, c.c2, c.c3);
        const F rows[4] = {r.c0, r.c1, r.c2, r.c3};
        for (int i = 0; i < 4; ++i) {
            _mm_storeu_ps(row[i], _mm256_castps256_ps128(rows[i]));
            _mm_storeu_ps(row[i + 4], _mm256_extractf128_ps(rows[i], 1));
        }
    }

    // Two-float records at eight addresses: the first members, the second.
    template <typename Pair>
    static void gatherPairs(const Pair* const (&at)[kWidth], F& first, F& second) noexcept {
        auto pair = [&](int i) { return _mm_load_sd(reinterpret_cast<const double*>(at[i])); };
        auto two = [&](int i) { return _mm_castpd_ps(_mm_unpacklo_pd(pair(i), pair(i + 1))); };
        // a0 b0 a1 b1 | a4 b4 a5 b5 and a2 b2 a3 b3 | a6 b6 a7 b7
        const F lo = _mm256_insertf128_ps(_mm256_castps128_ps256(two(0)), two(4), 1);
        const F hi = _mm256_insertf128_ps(_mm256_castps128_ps256(two(2)), two(6), 1);
        first = _mm256_shuffle_ps(lo, hi, _MM_SHUFFLE(2, 0, 2, 0));
        second = _mm256_shuffle_ps(lo, hi, _MM_SHUFFLE(3, 1, 3, 1));
    }
};

}  // namespace velora::engine::lanes
