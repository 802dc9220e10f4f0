// SPDX-License-Identifier: MIT
#include "midi/midi_event_queue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace velora {
namespace {

MidiEventRecord noteOn(int delta, int key) {
    MidiEventRecord e{};
    e.type = 1;
    e.byteSize = 32;
    e.deltaFrames = delta;
    e.midiData[0] = 0x90;
    e.midiData[1] = static_cast<std::uint8_t>(key);
    e.midiData[2] = 100;
    return e;
}

// Runs `samples` samples and records in which one each key was handled.
std::vector<std::pair<int, int>> run(MidiEventQueue& queue, int samples) {
    std::vector<std::pair<int, int>> handled;
    for (int s = 0; s < samples; ++s)
        queue.dispatchDue([&](const MidiEventRecord& e) { handled.emplace_back(s, e.midiData[1]); });
    return handled;
}

TEST(MidiEventQueue, HandlesEachEventOnItsSampleInArrivalOrder) {
    MidiEventQueue queue;
    queue.push(noteOn(3, 60));
    queue.push(noteOn(0, 61));
    queue.push(noteOn(-5, 62));
    queue.push(noteOn(3, 63));
    const auto handled = run(queue, 5);
    const std::vector<std::pair<int, int>> expected{{0, 61}, {0, 62}, {3, 60}, {3, 63}};
    EXPECT_EQ(handled, expected);
    EXPECT_TRUE(queue.empty());
}

TEST(MidiEventQueue, CountdownsCarryAcrossBlocksOnlyWhileSamplesRender) {
    MidiEventQueue queue;
    queue.push(noteOn(5, 60));
    EXPECT_TRUE(run(queue, 4).empty());  // a block of 4
    EXPECT_TRUE(run(queue, 0).empty());  // an empty block changes nothing
    const auto handled = run(queue, 4);
    ASSERT_EQ(handled.size(), 1u);
    EXPECT_EQ(handled[0].first, 1);  // sample 1 of the next block
}

// The same, skipping the quiet samples as the render loop's runs do.
std::vector<std::pair<int, int>> runSkipping(MidiEventQueue& queue, int samples, int limit) {
    std::vector<std::pair<int, int>> handled;
    for (int s = 0; s < samples;) {
        queue.dispatchDue([&](const MidiEventRecord& e) { handled.emplace_back(s, e.midiData[1]); });
        const int quiet = queue.skipQuiet(std::min(limit, samples - s));
        EXPECT_GE(quiet, 1);
        s += quiet;
    }
    return handled;
}

TEST(MidiEventQueue, SkippingQuietSamplesHandlesEachEventOnItsSample) {
    struct Case {
        std::vector<int> deltas;
        int limit;
    };
    for (const Case& c : {Case{{3, 0, -5, 3}, 16}, Case{{0, 1, 2, 17, 40}, 16}, Case{{15, 16, 31}, 16},
                          Case{{7, 7, 100}, 1}, Case{{}, 16}, Case{{2147483647, 5}, 32}}) {
        MidiEventQueue every, skipping;
        int key = 60;
        for (int delta : c.deltas) {
            every.push(noteOn(delta, key));
            skipping.push(noteOn(delta, key++));
        }
        EXPECT_EQ(runSkipping(skipping, 120, c.limit), run(every, 120)) << c.deltas.size() << " events";
        // Both counted down alike for the next block.
        EXPECT_EQ(runSkipping(skipping, 10, c.limit), run(every, 10));
    }
}

TEST(MidiEventQueue, RecyclesNodesAndBoundsThePendingCount) {
    MidiEventQueue queue;
    for (int round = 0; round < 3; ++round) {
        for (int i = 0; i < 100; ++i) ASSERT_TRUE(queue.push(noteOn(i, i % 128)));
        EXPECT_EQ(queue.pending(), 100);
        EXPECT_EQ(run(queue, 100).size(), 100u);
        EXPECT_EQ(queue.pending(), 0);
    }
    for (int i = 0; i < MidiEventQueue::kMaxPending; ++i) ASSERT_TRUE(queue.push(noteOn(1000, 1)));
    EXPECT_FALSE(queue.push(noteOn(0, 2)));
    EXPECT_EQ(queue.pending(), MidiEventQueue::kMaxPending);
    // Still-pending nodes are released with the queue (checked by LeakSanitizer).
}

}  // namespace
}  // namespace velora
