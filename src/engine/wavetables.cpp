#include "engine/wavetables.h"

#include <algorithm>
#include <cmath>

namespace velora::engine {
namespace {

constexpr double kSineStep = 0.0007669903939428711; // 2 pi / 8192

void buildSine(WaveTable& sine) {
    for (int i = 0; i < kTableSize; ++i)
        sine[i] = static_cast<float>(std::sin(i * kSineStep));
}

// Level L holds the harmonics of the family up to number L + 1. Every level
// accumulates them in increasing order in float, so level L is the running
// sum after harmonic L + 1.
void buildFamily(const WaveTable& sine, std::array<WaveTable, kLevelCount>& family, bool oddOnly) {
    std::array<float, kLevelCount + 1> amplitude{};
    for (int n = 1; n <= kLevelCount; ++n)
        amplitude[n] = static_cast<float>(1.0 / n + 1.0);
    for (int i = 0; i < kTableSize; ++i) {
        float sum = 0.0f;
        for (int level = 0; level < kLevelCount; ++level) {
            const int n = level + 1;
            if (!oddOnly || n % 2 == 1) sum += amplitude[n] * sine[(n * i) % kTableSize];
            family[level][i] = sum;
        }
    }
}

float largestEntry(const std::array<WaveTable, kLevelCount>& family) {
    float m = -INFINITY;
    for (const WaveTable& t : family)
        for (float x : t) m = std::max(m, x);
    return m;
}

void scale(std::array<WaveTable, kLevelCount>& family, double s) {
    for (WaveTable& t : family)
        for (float& x : t) x = static_cast<float>(x * s);
}

} // namespace

void buildWaveTables(WaveTableSet& set) {
    buildSine(set.sineTable);
    buildFamily(set.sineTable, set.fullWave, false);
    buildFamily(set.sineTable, set.oddWave, true);
    const float m = std::max({largestEntry(set.fullWave), largestEntry(set.oddWave), 1.0f});
    const double s = 1.0 / m;
    scale(set.fullWave, s);
    scale(set.oddWave, s);
}

const WaveTableSet& waveTables() {
    static const WaveTableSet* const set = [] {
        static WaveTableSet storage;
        buildWaveTables(storage);
        return &storage;
    }();
    return *set;
}

void buildKeyFrequencies(KeyFrequencies& keyFrequency) {
    long double f = 8.175798915636872L;
    keyFrequency[0] = static_cast<float>(f);
    for (int k = 1; k < 128; ++k) {
        f *= 1.059463094359L;
        keyFrequency[k] = static_cast<float>(f);
    }
}

} // namespace velora::engine
