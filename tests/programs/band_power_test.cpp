// SPDX-License-Identifier: MIT
// The band measure behind the repeat-ringing bound: sines of known levels,
// split at a band edge, on either channel and over stretches of any length.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "sound_measures.h"

namespace velora::sound {
namespace {

constexpr double kRate = 44100.0;

struct Partial {
    double hz, amplitude;
    bool left, right;
};

Stereo sines(const std::vector<Partial>& partials, std::size_t frames) {
    Stereo s;
    s.left.assign(frames, 0.0f);
    s.right.assign(frames, 0.0f);
    for (std::size_t i = 0; i < frames; ++i)
        for (const Partial& p : partials) {
            const float x = float(p.amplitude * std::sin(2.0 * std::numbers::pi * p.hz * double(i) / kRate));
            if (p.left) s.left[i] += x;
            if (p.right) s.right[i] += x;
        }
    return s;
}

TEST(BandPower, SplitsPowerAtTheBandEdge) {
    struct Case {
        const char* what;
        std::vector<Partial> partials;
        double share;  // band over total, dB
    };
    const Case cases[] = {
        {"all below", {{1000, 0.5, true, true}}, -INFINITY},
        {"all above", {{18000, 0.5, true, true}}, 0.0},
        {"equal parts", {{1000, 0.5, true, true}, {18000, 0.5, true, true}}, -3.01},
        {"a tenth above", {{1000, 0.5, true, true}, {18000, 0.05, true, true}}, -20.04},
        {"above on the right only", {{1000, 0.5, true, true}, {18000, 0.5, false, true}}, -4.77},
    };
    for (const Case& c : cases) {
        const Stereo s = sines(c.partials, 8820);
        const BandPower p = bandPower(s, 0, s.frames(), kRate, 15000.0);
        const double share = powerDecibels(p.band) - powerDecibels(p.total);
        if (std::isinf(c.share))
            EXPECT_LT(share, -80.0) << c.what;
        else
            EXPECT_NEAR(share, c.share, 0.1) << c.what;
    }
}

TEST(BandPower, LevelsCompareAcrossLengthsAndOffsets) {
    const Stereo s = sines({{3000, 0.25, true, true}, {16000, 0.1, true, true}}, 44100);
    const BandPower whole = bandPower(s, 0, 44100, kRate, 15000.0);
    for (auto [first, count] : {std::pair<std::size_t, std::size_t>{0, 2205}, {10000, 8820}, {30000, 14000}}) {
        const BandPower part = bandPower(s, first, count, kRate, 15000.0);
        EXPECT_NEAR(powerDecibels(part.band), powerDecibels(whole.band), 0.2) << first << "+" << count;
        EXPECT_NEAR(powerDecibels(part.total), powerDecibels(whole.total), 0.2) << first << "+" << count;
    }
    // Past the end or empty: nothing, and no crash.
    EXPECT_EQ(bandPower(s, 44100, 100, kRate, 15000.0).total, 0.0);
    EXPECT_EQ(bandPower(s, 0, 0, kRate, 15000.0).total, 0.0);
    EXPECT_EQ(powerDecibels(0.0), -INFINITY);
}

}  // namespace
}  // namespace velora::sound
