// SPDX-License-Identifier: MIT
// The four- and eight-lane render paths against the one-voice reference: a
// long random scenario, every output sample compared bit for bit.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <memory>
#include <vector>

#include "../support/in_process_host.h"
#include "engine_test_support.h"

namespace velora::engine {
namespace {

using test::FakeHooks;

// One scenario step, applied identically to both engines in the sample in
// which it is due: notes starting, stolen, faded and ending inside groups,
// pedal, bend, pressure, parameter moves and resets.
void randomEvent(SynthEngine& e, velora::test::Random& rng, int polyphony) {
    const int lowest = rng.below(128 - polyphony);
    const int key = lowest + rng.below(polyphony + 8 > 128 - lowest ? 128 - lowest : polyphony + 8);
    switch (rng.below(12)) {
    case 0:
    case 1:
    case 2:
    case 3: e.noteOn(key, 1 + rng.below(127)); break;
    case 4:
    case 5: e.noteOff(key); break;
    case 6: e.sustainController(rng.below(2) == 0 ? 0 : 127); break;
    case 7: e.pitchBend(rng.below(128)); break;
    case 8: e.startLevelRamp(key, static_cast<float>(rng.below(255))); break;
    case 9: {
        const auto p = static_cast<VoiceParam>(rng.below(kVoiceParamCount));
        if (p != VoiceParam::VoiceLimit) e.setParam(p, rng.below(20) == 0 ? 1.5f - 2.0f * rng.unit() : rng.unit());
        break;
    }
    case 10: e.setParam(VoiceParam::Release, rng.unit() * 0.01f); break;
    default:
        if (rng.below(40) == 0) e.resetVoices();
        break;
    }
}

// When the scenario's events come: every period-th sample, and how often the
// hooks let the engine look for them (1: one-sample runs; period: runs up to
// the next event).
struct EventTimes {
    int period = 1;
    int hookEvery = 1;
};

std::vector<float> renderScenario(LanePath path, int polyphony, std::uint32_t seed, EventTimes times = {}) {
    auto e = test::preparedEngine();
    e->useLanePath(path);
    e->setParam(VoiceParam::VoiceLimit, (static_cast<float>(polyphony) + 0.5f) / 127.0f);
    for (auto [p, v] : {std::pair{VoiceParam::NoiseMix, 0.4f},
                        {VoiceParam::VibratoDev, 0.6f},
                        {VoiceParam::ToneUnisonAmp, 0.5f},
                        {VoiceParam::Delay1, 0.3f},
                        {VoiceParam::Feedback1, 0.7f},
                        {VoiceParam::Delay2, 0.6f},
                        {VoiceParam::Feedback2, 0.5f}})
        e->setParam(p, v);
    velora::test::Random rng{seed};
    FakeHooks hooks;
    hooks.eventEvery = times.hookEvery;
    int eventSamples = 0;
    hooks.onSample = [&](int i) {
        if (i % times.period != 0) return;
        // Dense at first, so that every voice count is reached, then sparse.
        const int rate = eventSamples++ < 2000 ? 4 : 60;
        while (rng.below(rate) == 0) randomEvent(*e, rng, polyphony);
    };
    std::vector<float> out;
    for (int block = 0; block < 40; ++block) {
        const int frames = 1 + rng.below(700);
        std::vector<float> l(frames), r(frames);
        e->renderBlock(l.data(), r.data(), frames, hooks);
        out.insert(out.end(), l.begin(), l.end());
        out.insert(out.end(), r.begin(), r.end());
    }
    return out;
}

TEST(VoiceLanes, RenderTheSameBitsAsOneVoiceAtATime) {
    // Counts around both group widths and their halves, where groups fall
    // back to narrower ones or to single voices.
    for (int polyphony : {1, 3, 4, 5, 7, 9, 12, 13, 17, 127}) {
        const auto reference = renderScenario(LanePath::Reference, polyphony, 1000u + polyphony);
        int nonZero = 0;
        for (float x : reference) nonZero += x != 0.0f;
        EXPECT_GT(nonZero, static_cast<int>(reference.size() / 4)) << polyphony << " voices";
        for (LanePath path : {LanePath::Sse2, LanePath::Avx2}) {
            if (std::min(path, SynthEngine::widestLanePath()) != path) continue;
            const auto lanes = renderScenario(path, polyphony, 1000u + polyphony);
            ASSERT_EQ(lanes.size(), reference.size());
            for (std::size_t i = 0; i < lanes.size(); ++i)
                ASSERT_EQ(std::bit_cast<std::uint32_t>(lanes[i]), std::bit_cast<std::uint32_t>(reference[i]))
                    << polyphony << " voices, path " << static_cast<int>(path) << ", value " << i;
        }
    }
}

// The lanes keep the Tone's table levels over a run and the Attack's while
// its increments hold: fast, deep vibrato moves the Attack's within runs,
// bends move both between runs, and every path must follow as the
// one-voice code selects each sample.
TEST(VoiceLanes, TableLevelsFollowVibratoAndBends) {
    struct Case {
        float vibratoFreq, vibratoDev, attackFreqMult;
        int bendEvery;  // 0: no bends, runs of the longest length
    };
    auto render = [](LanePath path, const Case& c) {
        auto e = test::preparedEngine();
        e->useLanePath(path);
        e->setParam(VoiceParam::VoiceLimit, 21.5f / 127.0f);  // groups of 8, 8, 4 and one alone
        for (auto [p, v] : {std::pair{VoiceParam::VibratoFreq, c.vibratoFreq},
                            {VoiceParam::VibratoDev, c.vibratoDev},
                            {VoiceParam::AttackFreqMult, c.attackFreqMult}})
            e->setParam(p, v);
        for (int i = 0; i < 21; ++i) e->noteOn(3 + i * 6, 100);
        FakeHooks hooks;
        hooks.eventEvery = c.bendEvery > 0 ? c.bendEvery : 64;
        int bend = 0;
        hooks.onSample = [&](int) {
            if (c.bendEvery > 0) e->pitchBend((bend += 37) % 128);
        };
        return test::render(*e, hooks, 6000);
    };
    for (const Case c : {Case{1.0f, 1.0f, 0.5f, 0}, Case{0.7f, 1.0f, 1.0f, 0}, Case{0.3f, 0.8f, 0.9f, 37},
                         Case{0.0f, 0.0f, 0.6f, 5}, Case{1.0f, 1.0f, 0.2f, 16}}) {
        const auto reference = render(LanePath::Reference, c);
        EXPECT_GT(std::count_if(reference.begin(), reference.end(), [](float x) { return x != 0.0f; }), 3000)
            << "bends every " << c.bendEvery;
        for (LanePath path : {LanePath::Sse2, LanePath::Avx2}) {
            if (std::min(path, SynthEngine::widestLanePath()) != path) continue;
            const auto lanes = render(path, c);
            ASSERT_EQ(lanes.size(), reference.size());
            for (std::size_t i = 0; i < lanes.size(); ++i)
                ASSERT_EQ(std::bit_cast<std::uint32_t>(lanes[i]), std::bit_cast<std::uint32_t>(reference[i]))
                    << "vibrato " << c.vibratoFreq << "/" << c.vibratoDev << ", bends every " << c.bendEvery
                    << ", path " << static_cast<int>(path) << ", sample " << i;
        }
    }
}

TEST(VoiceLanes, AForcedPathStaysWithinWhatTheCpuRuns) {
    SynthEngine e;
    EXPECT_EQ(e.lanePath(), SynthEngine::widestLanePath());
    for (LanePath path : {LanePath::Reference, LanePath::Sse2, LanePath::Avx2}) {
        e.useLanePath(path);
        EXPECT_EQ(e.lanePath(), std::min(path, SynthEngine::widestLanePath()));
    }
    e.useScalarReference(true);
    EXPECT_EQ(e.lanePath(), LanePath::Reference);
    e.useScalarReference(false);
    EXPECT_EQ(e.lanePath(), SynthEngine::widestLanePath());
#if defined(__x86_64__) && !defined(_WIN32)
    EXPECT_EQ(SynthEngine::widestLanePath() == LanePath::Avx2, __builtin_cpu_supports("avx2") != 0);
#endif
}

}  // namespace
}  // namespace velora::engine

namespace velora::engine {
namespace {

// Runs end at events, tempo checks, their longest length and wherever voices
// end or enter their tail: rendered in runs, the scenario gives the bits of
// one-sample runs, on every path, with events close and far apart (blocks of
// 1 to 700 samples, most of them odd).
TEST(VoiceRuns, RenderTheSameBitsAsOneSampleAtATime) {
    struct Case {
        int polyphony, period;
    };
    for (const Case c : {Case{1, 1}, Case{5, 3}, Case{9, 16}, Case{13, 17}, Case{127, 40}, Case{127, 200}}) {
        for (LanePath path : {LanePath::Reference, LanePath::Sse2, LanePath::Avx2}) {
            if (std::min(path, SynthEngine::widestLanePath()) != path) continue;
            const std::uint32_t seed = 2000u + static_cast<std::uint32_t>(c.polyphony * 1000 + c.period);
            const auto single = renderScenario(path, c.polyphony, seed, {c.period, 1});
            const auto runs = renderScenario(path, c.polyphony, seed, {c.period, c.period});
            ASSERT_EQ(runs.size(), single.size());
            std::size_t differ = 0;
            for (std::size_t i = 0; i < runs.size(); ++i)
                differ += std::bit_cast<std::uint32_t>(runs[i]) != std::bit_cast<std::uint32_t>(single[i]);
            EXPECT_EQ(differ, 0u) << c.polyphony << " voices, events every " << c.period << ", path "
                                  << static_cast<int>(path);
        }
    }
}

}  // namespace
}  // namespace velora::engine
