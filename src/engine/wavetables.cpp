// SPDX-License-Identifier: MIT
#include "engine/wavetables.h"

#include <algorithm>
#include <cmath>

#include "core/exact_math.h"

namespace velora::engine {
namespace {

constexpr double kSineStep = 0.0007669903939428711;  // 2 pi / 8192

void buildSine(WaveTable& sine) {
    for (int i = 0; i < kTableSize; ++i) sine[i] = static_cast<float>(exact::sin(i * kSineStep));
}

// Level L holds the harmonics of the family up to number L + 1. Every level
// accumulates them in increasing order in float, so level L is the running
// sum after harmonic L + 1.
template <typename Store>
void buildFamily(const WaveTable& sine, bool oddOnly, Store store) {
    std::array<float, kLevelCount + 1> amplitude{};
    for (int n = 1; n <= kLevelCount; ++n) amplitude[n] = static_cast<float>(1.0 / n + 1.0);
    for (int i = 0; i < kTableSize; ++i) {
        float sum = 0.0f;
        for (int level = 0; level < kLevelCount; ++level) {
            const int n = level + 1;
            if (!oddOnly || n % 2 == 1) sum += amplitude[n] * sine[(n * i) % kTableSize];
            store(level, i, sum);
        }
    }
}

}  // namespace

void buildWaveTables(WaveTableSet& set) {
    buildSine(set.sineTable);
    buildFamily(set.sineTable, false, [&](int level, int i, float x) { set.waves[level][i].full = x; });
    buildFamily(set.sineTable, true, [&](int level, int i, float x) { set.waves[level][i].odd = x; });
    // One scale for both families: the largest entry, at least 1.
    float m = 1.0f;
    for (const WavePairTable& t : set.waves)
        for (const WavePair& p : t) m = std::max({m, p.odd, p.full});
    const double s = 1.0 / m;
    for (WavePairTable& t : set.waves)
        for (WavePair& p : t) {
            p.odd = static_cast<float>(p.odd * s);
            p.full = static_cast<float>(p.full * s);
        }
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
    keyFrequency = withExtendedPrecision([] {
        KeyFrequencies table{};
        long double f = 8.175798915636872L;
        table[0] = static_cast<float>(f);
        for (int k = 1; k < 128; ++k) {
            f *= 1.059463094359L;
            table[k] = static_cast<float>(f);
        }
        return table;
    });
}

}  // namespace velora::engine
