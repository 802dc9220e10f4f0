// SPDX-License-Identifier: MIT
#pragma once
// Band-limited wavetables shared by every instance, the per-instance key
// frequencies and the table access rules of the oscillators.
#include <array>
#include <bit>
#include <cstdint>
#include <limits>

#include "core/numeric.h"

namespace velora::engine {

inline constexpr int kTableSize = 8192;
inline constexpr int kTableMask = kTableSize - 1;
inline constexpr int kLevelCount = 40;
inline constexpr float kTablePeriod = 8192.0f;
inline constexpr float kLevelLimit = 4096.0f;

using WaveTable = std::array<float, kTableSize>;

enum class WaveFamily : int { Odd, Full };

// Both families' entries at one level and position lie side by side: the
// oscillators read both at the same position, so one cache line serves both.
struct WavePair {
    float odd;
    float full;
};
using WavePairTable = std::array<WavePair, kTableSize>;

struct WaveTableSet {
    WaveTable sineTable;
    std::array<WavePairTable, kLevelCount> waves;

    // Level L of fullWave holds harmonics 1 .. L + 1; of oddWave the odd ones.
    float fullWave(int level, int position) const noexcept { return waves[level][position].full; }
    float oddWave(int level, int position) const noexcept { return waves[level][position].odd; }
    float entry(WaveFamily family, int level, int position) const noexcept {
        return family == WaveFamily::Full ? fullWave(level, position) : oddWave(level, position);
    }
};

// Fills a set from scratch; the process-wide one comes from waveTables().
void buildWaveTables(WaveTableSet& set);

// The process-wide tables, built on first use (thread-safe) and never changed.
const WaveTableSet& waveTables();

using KeyFrequencies = std::array<float, 128>;
void buildKeyFrequencies(KeyFrequencies& keyFrequency);

// Table position of a phase. Phases are kept in [0, 8192) by advancePhase, so
// the plain conversion is defined; the mask keeps any index inside the table.
inline int tablePosition(float phase) noexcept { return static_cast<int>(phase) & kTableMask; }

// Any derived table argument (cutoff, hostile values): checked conversion,
// then wrapped into the table the way a periodic table reads.
inline int wrappedTableIndex(float position) noexcept {
    return static_cast<int>(static_cast<std::uint32_t>(truncToInt(position)) & kTableMask);
}

// Level with the most harmonics that stays below Nyquist for an increment.
inline int selectLevel(float levelLimit, float increment) noexcept {
    return truncClamped(levelLimit / increment, 0, kLevelCount - 1);
}

inline float readWave(const WaveTableSet& set, WaveFamily family, int level, float phase) noexcept {
    return set.entry(family, level, tablePosition(phase));
}

// phase + increment, brought below 8192 by repeated subtraction; the common
// case of one subtraction stays inline.
inline float advancePhase(float phase, float increment) noexcept {
    float p = phase + increment;
    if (p >= kTablePeriod) p -= kTablePeriod;
    // One unsigned test for +0 <= p < 8192 (negatives, NaN and infinity
    // have larger bit patterns).
    if (std::bit_cast<std::uint32_t>(p) < std::bit_cast<std::uint32_t>(kTablePeriod)) return p;
    return wrapPhase(p, kTablePeriod);
}

// The level rule for one layer, remembered while the increment stays the
// same (the Tone layer's increment changes only with a note or a bend).
struct LevelCache {
    float increment = std::numeric_limits<float>::quiet_NaN();
    float levelLimit = 0.0f;
    int level = 0;

    int select(float limit, float inc) noexcept {
        if (inc != increment || limit != levelLimit) {
            increment = inc;
            levelLimit = limit;
            level = selectLevel(limit, inc);
        }
        return level;
    }
};

inline void prefetchTable(const void* p) noexcept { __builtin_prefetch(p); }

}  // namespace velora::engine
