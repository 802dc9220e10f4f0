// SPDX-License-Identifier: MIT
#pragma once
// Four voices side by side in the lanes of an SSE2 register. Every lane
// operation is the same IEEE single-precision operation the one-voice code
// performs, so a lane gives the same bits as that code for its voice.
#include <emmintrin.h>

#include <cstdint>

#include "core/numeric.h"

namespace velora::engine::lanes {

inline constexpr int kWidth = 4;

using F4 = __m128;
using I4 = __m128i;

// Arithmetic, lane by lane.
inline F4 splat(float x) noexcept { return _mm_set1_ps(x); }
inline F4 zero() noexcept { return _mm_setzero_ps(); }
inline F4 add(F4 a, F4 b) noexcept { return _mm_add_ps(a, b); }
inline F4 sub(F4 a, F4 b) noexcept { return _mm_sub_ps(a, b); }
inline F4 mul(F4 a, F4 b) noexcept { return _mm_mul_ps(a, b); }
inline F4 div(F4 a, F4 b) noexcept { return _mm_div_ps(a, b); }
inline I4 splatInt(std::int32_t x) noexcept { return _mm_set1_epi32(x); }
inline I4 subInt(I4 a, I4 b) noexcept { return _mm_sub_epi32(a, b); }

// Conversions: truncation toward zero, as the one-voice code converts; and
// the same bits seen as the other type.
inline I4 truncate(F4 x) noexcept { return _mm_cvttps_epi32(x); }
inline F4 toFloats(I4 x) noexcept { return _mm_cvtepi32_ps(x); }
inline I4 asInts(F4 x) noexcept { return _mm_castps_si128(x); }
inline F4 asFloats(I4 x) noexcept { return _mm_castsi128_ps(x); }

// Aligned loads and stores of four floats.
inline F4 load(const float* p) noexcept { return _mm_load_ps(p); }
inline void store(float* p, F4 x) noexcept { _mm_store_ps(p, x); }

// Masks: every bit of a lane set where the comparison holds.
inline F4 atLeast(F4 a, F4 b) noexcept { return _mm_cmpge_ps(a, b); }
inline F4 same(F4 a, F4 b) noexcept { return _mm_cmpeq_ps(a, b); }
inline I4 equal(I4 a, I4 b) noexcept { return _mm_cmpeq_epi32(a, b); }
inline I4 less(I4 a, I4 b) noexcept { return _mm_cmplt_epi32(a, b); }
inline F4 bitAnd(F4 a, F4 b) noexcept { return _mm_and_ps(a, b); }
inline I4 bitAnd(I4 a, I4 b) noexcept { return _mm_and_si128(a, b); }
inline I4 bitOr(I4 a, I4 b) noexcept { return _mm_or_si128(a, b); }
// One bit per lane, lane 0 lowest: 0xF when all four are set.
inline int laneBits(F4 mask) noexcept { return _mm_movemask_ps(mask); }
inline int laneBits(I4 mask) noexcept { return _mm_movemask_ps(_mm_castsi128_ps(mask)); }

// Lanes whose value is finite.
inline F4 finite(F4 x) noexcept {
    const F4 zeroed = mul(x, zero());  // NaN for infinities and NaN
    return _mm_cmpord_ps(zeroed, zeroed);
}

// Per lane: b where the mask is set, else a.
inline F4 select(F4 mask, F4 a, F4 b) noexcept { return _mm_or_ps(_mm_andnot_ps(mask, a), _mm_and_ps(mask, b)); }

// flushTiny per lane: magnitudes below 1e-24 become +0.
inline F4 flushTiny(F4 x) noexcept {
    const F4 magnitude = _mm_and_ps(x, _mm_castsi128_ps(_mm_set1_epi32(0x7FFFFFFF)));
    return _mm_andnot_ps(_mm_cmplt_ps(magnitude, splat(kFlushBelow)), x);
}

// Lanes whose float bits lie in [+0, limit): one unsigned range test, as the
// scalar phase advance makes it (negatives, NaN and infinity fall outside).
inline int belowBits(F4 x, std::uint32_t limit) noexcept {
    const I4 bias = _mm_set1_epi32(static_cast<int>(0x80000000u));
    const I4 bits = _mm_xor_si128(_mm_castps_si128(x), bias);
    const I4 bound = _mm_xor_si128(_mm_set1_epi32(static_cast<int>(limit)), bias);
    return _mm_movemask_ps(_mm_castsi128_ps(_mm_cmplt_epi32(bits, bound)));
}

struct alignas(16) Floats {
    float v[kWidth];
    F4 load() const noexcept { return _mm_load_ps(v); }
    void store(F4 x) noexcept { _mm_store_ps(v, x); }
    float operator[](int i) const noexcept { return v[i]; }
    float& operator[](int i) noexcept { return v[i]; }
};

struct alignas(16) Ints {
    std::int32_t v[kWidth];
    void store(I4 x) noexcept { _mm_store_si128(reinterpret_cast<I4*>(v), x); }
    std::int32_t operator[](int i) const noexcept { return v[i]; }
};

// Gathers one field of four records into a register, and back.
template <typename Get>
inline F4 gather(Get get) noexcept {
    return _mm_setr_ps(get(0), get(1), get(2), get(3));
}

template <typename Put>
inline void scatter(F4 x, Put put) noexcept {
    Floats f;
    f.store(x);
    for (int i = 0; i < kWidth; ++i) put(i, f[i]);
}

// Four-float rows of four records turned into four registers of one column
// each, and back.
struct Columns {
    F4 c0, c1, c2, c3;
};

inline Columns loadColumns(const float* const (&row)[kWidth]) noexcept {
    Columns c{_mm_loadu_ps(row[0]), _mm_loadu_ps(row[1]), _mm_loadu_ps(row[2]), _mm_loadu_ps(row[3])};
    _MM_TRANSPOSE4_PS(c.c0, c.c1, c.c2, c.c3);
    return c;
}

inline void storeColumns(float* const (&row)[kWidth], Columns c) noexcept {
    _MM_TRANSPOSE4_PS(c.c0, c.c1, c.c2, c.c3);
    _mm_storeu_ps(row[0], c.c0);
    _mm_storeu_ps(row[1], c.c1);
    _mm_storeu_ps(row[2], c.c2);
    _mm_storeu_ps(row[3], c.c3);
}

// Two-float records (odd, full) read at four addresses, split into a
// register of the first members and one of the second.
template <typename Pair>
inline void gatherPairs(const Pair* const (&at)[kWidth], F4& first, F4& second) noexcept {
    const __m128d p0 = _mm_load_sd(reinterpret_cast<const double*>(at[0]));
    const __m128d p1 = _mm_load_sd(reinterpret_cast<const double*>(at[1]));
    const __m128d p2 = _mm_load_sd(reinterpret_cast<const double*>(at[2]));
    const __m128d p3 = _mm_load_sd(reinterpret_cast<const double*>(at[3]));
    const F4 lo = _mm_castpd_ps(_mm_unpacklo_pd(p0, p1));  // a0 b0 a1 b1
    const F4 hi = _mm_castpd_ps(_mm_unpacklo_pd(p2, p3));  // a2 b2 a3 b3
    first = _mm_shuffle_ps(lo, hi, _MM_SHUFFLE(2, 0, 2, 0));
    second = _mm_shuffle_ps(lo, hi, _MM_SHUFFLE(3, 1, 3, 1));
}

// The operations above as one type, so that the render code can be written
// once over the lane width (see lanes_avx2.h for eight lanes).
struct Sse2 {
    static constexpr int kWidth = lanes::kWidth;
    static constexpr int kAll = (1 << kWidth) - 1;  // laneBits with every lane set
    using F = F4;
    using I = I4;
    using Floats = lanes::Floats;
    using Ints = lanes::Ints;
    using Columns = lanes::Columns;

    static F splat(float x) noexcept { return lanes::splat(x); }
    static F zero() noexcept { return lanes::zero(); }
    static F add(F a, F b) noexcept { return lanes::add(a, b); }
    static F sub(F a, F b) noexcept { return lanes::sub(a, b); }
    static F mul(F a, F b) noexcept { return lanes::mul(a, b); }
    static F div(F a, F b) noexcept { return lanes::div(a, b); }
    static I splatInt(std::int32_t x) noexcept { return lanes::splatInt(x); }
    static I subInt(I a, I b) noexcept { return lanes::subInt(a, b); }
    static I truncate(F x) noexcept { return lanes::truncate(x); }
    static F toFloats(I x) noexcept { return lanes::toFloats(x); }
    static I asInts(F x) noexcept { return lanes::asInts(x); }
    static F asFloats(I x) noexcept { return lanes::asFloats(x); }
    static F load(const float* p) noexcept { return lanes::load(p); }
    static void store(float* p, F x) noexcept { lanes::store(p, x); }
    static F atLeast(F a, F b) noexcept { return lanes::atLeast(a, b); }
    static F same(F a, F b) noexcept { return lanes::same(a, b); }
    static I equal(I a, I b) noexcept { return lanes::equal(a, b); }
    static I less(I a, I b) noexcept { return lanes::less(a, b); }
    static F bitAnd(F a, F b) noexcept { return lanes::bitAnd(a, b); }
    static I bitAnd(I a, I b) noexcept { return lanes::bitAnd(a, b); }
    static I bitOr(I a, I b) noexcept { return lanes::bitOr(a, b); }
    static int laneBits(F mask) noexcept { return lanes::laneBits(mask); }
    static int laneBits(I mask) noexcept { return lanes::laneBits(mask); }
    static F finite(F x) noexcept { return lanes::finite(x); }
    static F select(F mask, F a, F b) noexcept { return lanes::select(mask, a, b); }
    static F flushTiny(F x) noexcept { return lanes::flushTiny(x); }
    static int belowBits(F x, std::uint32_t limit) noexcept { return lanes::belowBits(x, limit); }
    template <typename Get>
    static F gather(Get get) noexcept {
        return lanes::gather(get);
    }
    template <typename Put>
    static void scatter(F x, Put put) noexcept {
        lanes::scatter(x, put);
    }
    static Columns loadColumns(const float* const (&row)[kWidth]) noexcept { return lanes::loadColumns(row); }
    static void storeColumns(float* const (&row)[kWidth], Columns c) noexcept { lanes::storeColumns(row, c); }
    template <typename Pair>
    static void gatherPairs(const Pair* const (&at)[kWidth], F& first, F& second) noexcept {
        lanes::gatherPairs(at, first, second);
    }
};

}  // namespace velora::engine::lanes
