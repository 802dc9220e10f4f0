// SPDX-License-Identifier: MIT
// The eight-lane building blocks against the one-voice functions they
// stand for, on ordinary and hostile values, bit for bit. Skipped where the
// CPU has no AVX2.
#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cstdint>
#include <limits>
#include <vector>

#include "engine/sample_values.h"
#include "engine/synth_engine.h"
#include "engine/voice_resonator.h"

#if VELORA_AVX2_LANES

#include <immintrin.h>

#include <algorithm>

#pragma GCC push_options
#pragma GCC target("avx2")
#include "engine/lane_render.h"
#include "engine/lanes_avx2.h"
#include "engine/voice_resonator_avx2.h"

namespace velora::engine {
namespace {

using Lanes8 = LaneRenderer<lanes::Avx2>;
using Values8 = std::array<float, 8>;

Values8 advance8(const Values8& phase, const Values8& inc) {
    lanes::Avx2::Floats p, i, out;
    std::copy(phase.begin(), phase.end(), p.v);
    std::copy(inc.begin(), inc.end(), i.v);
    out.store(Lanes8::advance(p.load(), i.load()));
    return std::bit_cast<Values8>(out.v);
}

std::array<std::int32_t, 8> indexes8(const Values8& position) {
    lanes::Avx2::Floats p;
    std::copy(position.begin(), position.end(), p.v);
    lanes::Avx2::Ints out;
    out.store(Lanes8::wrappedTableIndexes(p.load()));
    return std::bit_cast<std::array<std::int32_t, 8>>(out.v);
}

// Eight rows of four through the column registers and back: each column
// must hold one field of every row, in row order.
bool columnsRoundTrip() {
    alignas(16) float rows[8][4];
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 4; ++c) rows[r][c] = static_cast<float>(10 * r + c);
    float* row[8];
    for (int r = 0; r < 8; ++r) row[r] = rows[r];
    const lanes::Avx2::Columns c = lanes::Avx2::loadColumns(row);
    lanes::Avx2::Floats column[4];
    column[0].store(c.c0);
    column[1].store(c.c1);
    column[2].store(c.c2);
    column[3].store(c.c3);
    for (int k = 0; k < 4; ++k)
        for (int r = 0; r < 8; ++r)
            if (column[k][r] != static_cast<float>(10 * r + k)) return false;
    // Swap the first and last columns on the way back.
    lanes::Avx2::storeColumns(row, lanes::Avx2::Columns{c.c3, c.c1, c.c2, c.c0});
    for (int r = 0; r < 8; ++r)
        if (rows[r][0] != static_cast<float>(10 * r + 3) || rows[r][3] != static_cast<float>(10 * r)) return false;
    return true;
}

StereoSample resonate8(VoiceResonator& r, const StageGains& gains, float x, float g, bool fading) {
    return processResonatorAvx2(r, gains, x, g, fading);
}

}  // namespace
}  // namespace velora::engine

#pragma GCC pop_options

namespace velora::engine {
namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

void skipWithoutAvx2() {
    if (!__builtin_cpu_supports("avx2")) GTEST_SKIP() << "no AVX2 on this CPU";
}

template <typename A, typename B>
void expectSameBits(const A& lanes, const B& reference, const char* what) {
    for (std::size_t i = 0; i < lanes.size(); ++i)
        EXPECT_EQ(std::bit_cast<std::uint32_t>(lanes[i]), std::bit_cast<std::uint32_t>(reference[i]))
            << what << ", lane " << i;
}

TEST(Avx2Lanes, PhasesAdvanceAndWrapAsOneVoice) {
    skipWithoutAvx2();
    // Each row: ordinary phases next to lanes that leave the usual range
    // (the per-lane wrap), so every lane is checked in both situations.
    const std::vector<std::pair<Values8, Values8>> cases = {
        {{0.0f, 1.5f, 8000.0f, 8191.9f, 4096.0f, 17.25f, 8191.0f, 100.0f},
         {3.0f, 0.25f, 300.0f, 0.2f, 4096.0f, 0.0f, 1.0f, 8000.0f}},
        {{0.0f, -1.0f, kNaN, kInf, -kInf, 8192.0f, 20000.0f, -0.0f}, {-0.5f, 0.0f, 1.0f, 1.0f, 1.0f, 0.0f, 5.0f, 0.0f}},
        {{1e30f, -1e30f, 8191.999f, 3.0f, 0.0f, 0.0f, 5.0f, 6.0f},
         {0.0f, 0.0f, 0.002f, -7.0f, kNaN, -kInf, 16384.5f, -8192.0f}},
    };
    for (const auto& [phase, inc] : cases) {
        Values8 reference;
        for (int i = 0; i < 8; ++i) reference[i] = advancePhase(phase[i], inc[i]);
        expectSameBits(advance8(phase, inc), reference, "advance");
    }
}

TEST(Avx2Lanes, TableIndexesMatchTheCheckedConversion) {
    skipWithoutAvx2();
    const std::vector<Values8> cases = {
        {0.0f, 1.9f, 8191.0f, 8192.0f, 12345.6f, -1.0f, -8193.5f, 4095.99f},
        {kNaN, kInf, -kInf, 2147483648.0f, 2147483520.0f, -2147483648.0f, -3e9f, 1e38f},
    };
    for (const Values8& position : cases) {
        std::array<std::int32_t, 8> reference;
        for (int i = 0; i < 8; ++i) reference[i] = wrappedTableIndex(position[i]);
        EXPECT_EQ(indexes8(position), reference);
    }
}

TEST(Avx2Lanes, RowsBecomeColumnsInLaneOrderAndBack) {
    skipWithoutAvx2();
    EXPECT_TRUE(columnsRoundTrip());
}

TEST(Avx2Lanes, ResonatorGivesTheBitsOfTheStageByStageForm) {
    skipWithoutAvx2();
    struct Case {
        std::int32_t length;
        float delay1, delay2, feedback;
    };
    // Shortest lines (every tap wraps at once), odd lengths, equal and
    // extreme delays, feedback that grows without bound.
    for (const Case& c : {Case{1, 0.5f, 0.5f, 0.9f}, Case{2, 1.0f, 0.0f, -0.9f}, Case{37, 0.7f, 0.3f, 0.95f},
                          Case{211, 0.01f, 0.99f, -0.6f}, Case{64, 0.5f, 0.5f, 30.0f}}) {
        VoiceResonator fast, reference;
        fast.allocate(c.length);
        reference.allocate(c.length);
        const auto left = resonatorTaps(c.length, c.delay1), right = resonatorTaps(c.length, c.delay2);
        for (int j = 0; j < kResonatorStages; ++j) {
            fast.leftTap[j] = reference.leftTap[j] = left[j];
            fast.rightTap[j] = reference.rightTap[j] = right[j];
        }
        ResonatorGains shared;
        for (int j = 0; j < kResonatorStages; ++j) {
            shared.left[j] = c.feedback * kStageFeedback[j];
            shared.right[j] = -c.feedback * kStageFeedback[(j + 1) % kResonatorStages];
        }
        const StageGains gains = loadGains(shared);
        std::uint32_t seed = 11u + static_cast<std::uint32_t>(c.length);
        for (int i = 0; i < 3000; ++i) {
            seed = seed * 1664525u + 1013904223u;
            // Bursts of noise, silences long enough to flush, and now and
            // then a value that is not finite.
            float x = i % 300 < 5 ? static_cast<float>(seed >> 8) / 16777216.0f - 0.5f : 0.0f;
            if (i % 1000 == 999) x = i % 2000 == 999 ? kInf : kNaN;
            const float g = static_cast<float>(i % 53) / 52.0f;
            const bool fading = i % 7 == 0;
            const StereoSample a = resonate8(fast, gains, x, g, fading);
            const StereoSample b = processResonatorScalar(reference, gains, x, g, fading);
            ASSERT_EQ(std::bit_cast<std::uint32_t>(a.left), std::bit_cast<std::uint32_t>(b.left))
                << "length " << c.length << ", sample " << i;
            ASSERT_EQ(std::bit_cast<std::uint32_t>(a.right), std::bit_cast<std::uint32_t>(b.right))
                << "length " << c.length << ", sample " << i;
        }
        for (std::int32_t i = 0; i < c.length * kLinesPerVoice; ++i)
            ASSERT_EQ(std::bit_cast<std::uint32_t>(fast.lines[i]), std::bit_cast<std::uint32_t>(reference.lines[i]))
                << "length " << c.length << ", value " << i;
    }
}

}  // namespace
}  // namespace velora::engine

#endif  // VELORA_AVX2_LANES
