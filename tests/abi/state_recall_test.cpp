// SPDX-License-Identifier: MIT
// A host that restores a sound without chunks sets the 109 values one by one,
// in an order of its own, onto whatever sound the instance held. Whatever the
// order and the sound before, the result must render exactly as selecting
// the program that holds those values.
#include <algorithm>
#include <array>
#include <cstring>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "plugin_fixture.h"

namespace velora::test {
namespace {

constexpr int kParams = 109;
constexpr int kPrograms = 64;
constexpr int kRate = 11025;
// At 240 BPM four beats last one second, the longest free length as well, so
// every first echo falls inside the render.
constexpr double kTempo = 240.0;
constexpr int kBlock = 512;
constexpr int kRenderBlocks = kRate / kBlock + 4;

using Values = std::array<float, kParams>;
using Order = std::vector<int>;

std::unique_ptr<host::PluginInstance> instanceHolding(int program) {
    auto plugin = loadPlugin();
    host::HostTime time;
    time.sampleRate = kRate;
    time.tempo = kTempo;
    plugin->setHostTime(time);
    plugin->setSampleRate(static_cast<float>(kRate));
    plugin->setBlockSize(kBlock);
    plugin->open();
    plugin->resume();
    plugin->setProgram(program);
    return plugin;
}

// A note with its echoes, and controllers 1..16 moved while it sounds, so
// that the controller bindings are heard as well.
std::vector<float> render(host::PluginInstance& plugin) {
    std::vector<host::MidiMessage> start{{0, {0x90, 60, 100}}};
    for (std::uint8_t c = 1; c <= 16; ++c) start.push_back({100, {0xB0, c, static_cast<std::uint8_t>(20 + 6 * c)}});
    std::vector<float> out, left(kBlock), right(kBlock);
    for (int b = 0; b < kRenderBlocks; ++b) {
        if (b == 0) plugin.sendMidi(start);
        if (b == 4) plugin.sendMidi({{0, {0x80, 60, 0}}});
        plugin.processReplacing(left.data(), right.data(), kBlock);
        for (int i = 0; i < kBlock; ++i) {
            out.push_back(left[static_cast<std::size_t>(i)]);
            out.push_back(right[static_cast<std::size_t>(i)]);
        }
    }
    return out;
}

// Index of the first differing stereo frame, or -1.
long firstDifference(const std::vector<float>& a, const std::vector<float>& b) {
    const auto [ia, ib] = std::mismatch(a.begin(), a.end(), b.begin(), b.end(),
                                        [](float x, float y) { return std::memcmp(&x, &y, sizeof x) == 0; });
    return ia == a.end() && ib == b.end() ? -1 : static_cast<long>(ia - a.begin()) / 2;
}

struct Bank {
    std::vector<Values> values;
    std::vector<std::array<bool, 3>> switches;  // "XD Tempo Sync", "XDelay On", "Reverb On"
};

const Bank& factoryBank() {
    static const Bank bank = [] {
        Bank b;
        auto plugin = instanceHolding(0);
        for (int p = 0; p < kPrograms; ++p) {
            plugin->setProgram(p);
            Values v{};
            for (int i = 0; i < kParams; ++i) v[static_cast<std::size_t>(i)] = plugin->getParameter(i);
            b.values.push_back(v);
            b.switches.push_back({v[99] != 0.0f, v[64] != 0.0f, v[76] != 0.0f});
        }
        return b;
    }();
    return bank;
}

// Sounds Q to restore P over: `differing` of those whose delay mode or
// effect switches differ from P's (all of them when negative), and `alike`
// of the rest, drawn at random.
std::vector<int> soundsBefore(int p, int differing, int alike, std::mt19937& random) {
    const Bank& bank = factoryBank();
    std::vector<int> unlike, like;
    for (int q = 0; q < kPrograms; ++q)
        if (q != p)
            (bank.switches[static_cast<std::size_t>(q)] != bank.switches[static_cast<std::size_t>(p)] ? unlike : like)
                .push_back(q);
    auto draw = [&](std::vector<int>& from, int count) {
        std::shuffle(from.begin(), from.end(), random);
        if (count >= 0) from.resize(std::min(from.size(), static_cast<std::size_t>(count)));
    };
    draw(unlike, differing);
    draw(like, alike);
    unlike.insert(unlike.end(), like.begin(), like.end());
    return unlike;
}

enum class Kind { Index, Reversed, Random };

Order orderOf(Kind kind, std::mt19937& random) {
    Order order(kParams);
    std::iota(order.begin(), order.end(), 0);
    if (kind == Kind::Reversed) std::reverse(order.begin(), order.end());
    if (kind == Kind::Random) std::shuffle(order.begin(), order.end(), random);
    return order;
}

// Returns the number of pairs checked; every mismatch is reported. Each pair
// gets two fresh instances: selecting a program and the controllers moved in
// the render both write into the bank, which must not carry over.
int checkRecall(Kind kind, int differing, int alike, unsigned seed) {
    // Holds the module, and its wavetables, loaded between the instances.
    const auto keeper = loadPlugin();
    std::mt19937 random(seed);
    int pairs = 0;
    for (int p = 0; p < kPrograms; ++p) {
        const Values& values = factoryBank().values[static_cast<std::size_t>(p)];
        for (int q : soundsBefore(p, differing, alike, random)) {
            const Order order = orderOf(kind, random);
            auto selected = instanceHolding(q);
            selected->setProgram(p);
            auto restored = instanceHolding(q);
            for (int i : order) restored->setParameter(i, values[static_cast<std::size_t>(i)]);
            const long at = firstDifference(render(*selected), render(*restored));
            EXPECT_EQ(at, -1) << "program " << p << " restored over " << q << " differs from frame " << at;
            for (int i = 0; i < kParams; ++i)
                EXPECT_EQ(restored->parameterDisplay(i), selected->parameterDisplay(i)) << p << " over " << q;
            ++pairs;
        }
    }
    return pairs;
}

// Instrumented builds, many times slower, draw from the same pairs.
#ifdef VELORA_STATE_RECALL_SAMPLE
constexpr int kEveryDiffering = 1, kAlike = 1, kDiffering = 1;
#else
constexpr int kEveryDiffering = -1, kAlike = 2, kDiffering = 4;
#endif

TEST(StateRecall, IndexOrderOverEverySoundThatDiffersInAnEffectSwitch) {
    EXPECT_GT(checkRecall(Kind::Index, kEveryDiffering, kAlike, 19), kEveryDiffering < 0 ? 64 * 30 : 64);
}

TEST(StateRecall, ReversedOrder) { EXPECT_GT(checkRecall(Kind::Reversed, kDiffering, 1, 23), 64 * kDiffering); }

TEST(StateRecall, RandomOrder) { EXPECT_GT(checkRecall(Kind::Random, kDiffering, 1, 29), 64 * kDiffering); }

}  // namespace
}  // namespace velora::test
