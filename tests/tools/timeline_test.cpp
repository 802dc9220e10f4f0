// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "test_files.h"
#include "timeline.h"

namespace velora::tools {
namespace {

using namespace test;

Timeline built(const Bytes& bytes, std::uint32_t rate, std::uint32_t initialTempo = kDefaultMicrosPerQuarter) {
    MidiReadResult midi = parseMidiFile(bytes);
    EXPECT_TRUE(midi.file) << midi.error;
    std::string error;
    std::optional<Timeline> timeline = Timeline::build(midi.file.value_or(MidiFile{}), rate, initialTempo, error);
    EXPECT_TRUE(timeline) << error;
    return timeline.value_or(Timeline{});
}

std::vector<std::int64_t> samplesOf(const Timeline& timeline) {
    std::vector<std::int64_t> samples;
    for (const TimedMessage& m : timeline.messages()) samples.push_back(m.sample);
    return samples;
}

// Tempo track: 120 BPM, 60 BPM from beat 2, 240 BPM from beat 3.
Bytes tempoChangingSong(std::uint16_t ppq) {
    return concat(
        {midiHeader(1, 2, ppq),
         trackChunk({tempoEvent(0, 500000), tempoEvent(2u * ppq, 1000000), tempoEvent(ppq, 250000), endOfTrack()}),
         trackChunk({event(0, {0x90, 60, 1}), event(ppq, {0x90, 61, 1}), event(ppq, {0x90, 62, 1}),
                     event(ppq / 2u, {0x90, 63, 1}), event(ppq / 2u, {0x90, 64, 1}), event(ppq, {0x90, 65, 1}),
                     endOfTrack(ppq)})});
}

TEST(Timeline, TempoMapGivesExactSamplePositions) {
    for (std::uint16_t ppq : {96, 480, 960}) {
        const Timeline timeline = built(tempoChangingSong(ppq), 44100);
        // Beats 0, 1 at 120 BPM; 2 and 2.5 at 60 BPM; 3 and 4 at 240 BPM.
        EXPECT_EQ(samplesOf(timeline), (std::vector<std::int64_t>{0, 22050, 44100, 66150, 88200, 99225})) << ppq;
        EXPECT_EQ(timeline.endSample(), 110250);
    }
}

TEST(Timeline, FractionalPositionsRoundDownToTheEarlierSample) {
    const Bytes song = concat(
        {midiHeader(0, 1, 480), trackChunk({event(1, {0x90, 1, 1}), event(1, {0x90, 2, 1}), event(6, {0x80, 1, 0})})});
    // One tick at 120 BPM is 1/960 s: 45.9375 samples at 44.1 kHz, so tick 8
    // lies exactly half way between samples 367 and 368.
    EXPECT_EQ(samplesOf(built(song, 44100)), (std::vector<std::int64_t>{45, 91, 367}));
    EXPECT_EQ(samplesOf(built(song, 48000)), (std::vector<std::int64_t>{50, 100, 400}));
}

TEST(Timeline, InitialTempoAppliesUntilTheFirstTempoEvent) {
    const Bytes song =
        concat({midiHeader(0, 1, 100),
                trackChunk({event(100, {0x90, 1, 1}), tempoEvent(0, 250000), event(100, {0x80, 1, 0})})});
    const Timeline timeline = built(song, 48000, 1000000);  // 60 BPM before the change
    EXPECT_EQ(samplesOf(timeline), (std::vector<std::int64_t>{48000, 60000}));
    EXPECT_DOUBLE_EQ(timeline.tempoAt(0), 60.0);
    EXPECT_DOUBLE_EQ(timeline.tempoAt(48000), 240.0);
}

TEST(Timeline, MergesTracksInTimeThenTrackOrder) {
    const Bytes song = concat({midiHeader(1, 2, 480), trackChunk({event(10, {0xB0, 1, 1}), event(0, {0xB0, 2, 2})}),
                               trackChunk({event(0, {0xC0, 3}), event(10, {0xB0, 4, 4})})});
    const Timeline timeline = built(song, 44100);
    std::vector<int> controllers;
    for (const TimedMessage& m : timeline.messages()) controllers.push_back(m.bytes[1]);
    EXPECT_EQ(controllers, (std::vector<int>{3, 1, 2, 4}));
    EXPECT_EQ(timeline.messages()[0].size, 2);
}

TEST(Timeline, TempoAndQuarterPositionQueries) {
    const Timeline timeline = built(tempoChangingSong(480), 44100);
    EXPECT_DOUBLE_EQ(timeline.tempoAt(0), 120.0);
    EXPECT_DOUBLE_EQ(timeline.tempoAt(44099), 120.0);
    EXPECT_DOUBLE_EQ(timeline.tempoAt(44100), 60.0);
    EXPECT_DOUBLE_EQ(timeline.tempoAt(88200), 240.0);
    EXPECT_DOUBLE_EQ(timeline.tempoAt(10000000), 240.0);
    EXPECT_DOUBLE_EQ(timeline.ppqAt(0), 0.0);
    EXPECT_DOUBLE_EQ(timeline.ppqAt(22050), 1.0);
    EXPECT_DOUBLE_EQ(timeline.ppqAt(66150), 2.5);
    EXPECT_DOUBLE_EQ(timeline.ppqAt(99225), 4.0);
}

TEST(Timeline, RejectsPositionsBeyondSampleCounts) {
    // Many maximal delta times at the slowest tempo and a tiny division.
    Bytes body = tempoEvent(0, 0xFFFFFF);
    for (int i = 0; i < 5000; ++i) {
        const Bytes e = event(0x0FFFFFFF, {0x90, 1, 1});
        body.insert(body.end(), e.begin(), e.end());
    }
    MidiReadResult midi = parseMidiFile(concat({midiHeader(0, 1, 1), chunk("MTrk", body)}));
    ASSERT_TRUE(midi.file) << midi.error;
    std::string error;
    EXPECT_FALSE(Timeline::build(*midi.file, 1000000, kDefaultMicrosPerQuarter, error));
    EXPECT_NE(error.find("too long"), std::string::npos);
    EXPECT_FALSE(Timeline::build(*midi.file, 0, kDefaultMicrosPerQuarter, error));
}

}  // namespace
}  // namespace velora::tools
