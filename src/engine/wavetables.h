#pragma once
// Band-limited wavetables shared by every instance, the per-instance key
// frequencies and the table access rules of the oscillators.
#include <array>
#include <cstdint>

#include "engine/numeric.h"

namespace velora::engine {

inline constexpr int kTableSize = 8192;
inline constexpr int kTableMask = kTableSize - 1;
inline constexpr int kLevelCount = 40;
inline constexpr float kTablePeriod = 8192.0f;
inline constexpr float kLevelLimit = 4096.0f;

using WaveTable = std::array<float, kTableSize>;

enum class WaveFamily : int { Odd, Full };

struct WaveTableSet {
    WaveTable sineTable;
    std::array<WaveTable, kLevelCount> fullWave;
    std::array<WaveTable, kLevelCount> oddWave;

    const WaveTable& level(WaveFamily family, int lvl) const noexcept {
        return family == WaveFamily::Full ? fullWave[lvl] : oddWave[lvl];
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
inline int tablePosition(float phase) noexcept {
    return static_cast<int>(phase) & kTableMask;
}

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
    return set.level(family, level)[tablePosition(phase)];
}

inline float advancePhase(float phase, float increment) noexcept {
    return wrapPhase(phase + increment, kTablePeriod);
}

} // namespace velora::engine
