// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <algorithm>

#include "timeline.h"

namespace velora::tools {
namespace {

// The committed demo must stay a useful all-round test piece.
TEST(DemoFile, CoversTempoPedalBendModulationAndTheKeyboard) {
    const MidiReadResult midi = readMidiFile(DEMO_MIDI_FILE);
    ASSERT_TRUE(midi.file) << midi.error;
    EXPECT_EQ(midi.file->format, 1);
    EXPECT_EQ(midi.file->ticksPerQuarter, 480);
    std::string error;
    const auto timeline = Timeline::build(*midi.file, 44100, kDefaultMicrosPerQuarter, error);
    ASSERT_TRUE(timeline) << error;
    EXPECT_DOUBLE_EQ(timeline->tempoAt(0), 100.0);
    EXPECT_NE(timeline->tempoAt(timeline->endSample()), 100.0);
    const double seconds = static_cast<double>(timeline->endSample()) / 44100.0;
    EXPECT_GE(seconds, 20.0);
    EXPECT_LE(seconds, 30.0);

    int lowest = 127, highest = 0, pedal = 0, bends = 0, wheel = 0, chordNotes = 0;
    for (const TimedMessage& m : timeline->messages()) {
        const int kind = m.bytes[0] & 0xF0;
        if (kind == 0x90 && m.bytes[2] > 0) {
            lowest = std::min<int>(lowest, m.bytes[1]);
            highest = std::max<int>(highest, m.bytes[1]);
            chordNotes += m.sample == timeline->messages().front().sample;
        }
        pedal += kind == 0xB0 && m.bytes[1] == 64;
        wheel += kind == 0xB0 && m.bytes[1] == 1;
        bends += kind == 0xE0;
    }
    EXPECT_LE(lowest, 30);
    EXPECT_GE(highest, 100);
    EXPECT_GT(pedal, 0);
    EXPECT_GT(bends, 0);
    EXPECT_GT(wheel, 10);
    EXPECT_GE(chordNotes, 3);
}

}  // namespace
}  // namespace velora::tools
