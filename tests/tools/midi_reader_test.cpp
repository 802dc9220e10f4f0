#include <gtest/gtest.h>

#include <random>

#include "midi_file.h"
#include "test_files.h"

namespace velora::tools {
namespace {

using namespace test;

MidiFile parsedOk(const Bytes& bytes) {
    MidiReadResult result = parseMidiFile(bytes);
    EXPECT_TRUE(result.file.has_value()) << result.error;
    return result.file.value_or(MidiFile{});
}

std::string parseError(const Bytes& bytes) {
    MidiReadResult result = parseMidiFile(bytes);
    EXPECT_FALSE(result.file.has_value());
    return result.error;
}

Bytes formatZeroSong() {
    return concat({midiHeader(0, 1, 96),
                   trackChunk({tempoEvent(0, 600000), event(0, {0x90, 60, 100}), event(48, {62, 90}),  // running status
                               event(0, {0xF0, 0x03, 0x43, 0x12, 0xF7}),                              // sysex skipped
                               event(48, {0x80, 60, 0}), event(0, {0xC3, 5}), event(10, {0xE0, 0, 64}),
                               endOfTrack(100)})});
}

TEST(MidiReader, FormatZeroWithRunningStatusSysexAndMeta) {
    const MidiFile file = parsedOk(formatZeroSong());
    EXPECT_EQ(file.format, 0);
    EXPECT_EQ(file.ticksPerQuarter, 96);
    ASSERT_EQ(file.tracks.size(), 1u);
    const MidiTrack& track = file.tracks[0];
    ASSERT_EQ(track.messages.size(), 5u);
    EXPECT_EQ(track.messages[1].tick, 48u);
    EXPECT_EQ(track.messages[1].bytes[0], 0x90);  // from running status
    EXPECT_EQ(track.messages[1].bytes[1], 62);
    EXPECT_EQ(track.messages[1].bytes[2], 90);
    EXPECT_EQ(track.messages[2].tick, 96u);
    EXPECT_EQ(track.messages[3].size, 2);  // program change has one data byte
    EXPECT_EQ(track.messages[3].bytes[1], 5);
    EXPECT_EQ(track.messages[4].tick, 106u);
    ASSERT_EQ(track.tempoChanges.size(), 1u);
    EXPECT_EQ(track.tempoChanges[0].microsPerQuarter, 600000u);
    EXPECT_EQ(track.endTick, 206u);
}

TEST(MidiReader, FormatOneTracksAndUnknownChunks) {
    const Bytes bytes = concat({midiHeader(1, 2, 480), chunk("XTRA", {1, 2, 3}),
                                trackChunk({tempoEvent(0, 500000), tempoEvent(960, 1000000), endOfTrack()}),
                                trackChunk({event(0, {0x91, 64, 1}), event(0x0FFFFFFF, {0x81, 64, 0}), endOfTrack()})});
    const MidiFile file = parsedOk(bytes);
    EXPECT_EQ(file.format, 1);
    ASSERT_EQ(file.tracks.size(), 2u);
    EXPECT_EQ(file.tracks[0].tempoChanges.size(), 2u);
    EXPECT_EQ(file.tracks[0].tempoChanges[1].tick, 960u);
    ASSERT_EQ(file.tracks[1].messages.size(), 2u);
    EXPECT_EQ(file.tracks[1].messages[1].tick, 0x0FFFFFFFu);  // largest delta time
}

TEST(MidiReader, TrackWithoutEndOfTrackIsAccepted) {
    const MidiFile file = parsedOk(concat({midiHeader(0, 1, 480), trackChunk({event(5, {0x90, 1, 2})})}));
    EXPECT_EQ(file.tracks[0].endTick, 5u);
}

TEST(MidiReader, RejectsUnsupportedHeaders) {
    EXPECT_NE(parseError(concat({midiHeader(0, 1, 0xE728), trackChunk({endOfTrack()})})).find("SMPTE"), std::string::npos);
    EXPECT_NE(parseError(concat({midiHeader(2, 1, 480), trackChunk({endOfTrack()})})).find("format 2"), std::string::npos);
    parseError(concat({midiHeader(0, 2, 480), trackChunk({endOfTrack()}), trackChunk({endOfTrack()})}));
    parseError(concat({midiHeader(1, 1, 0), trackChunk({endOfTrack()})}));
    parseError(concat({midiHeader(1, 0, 480)}));
    EXPECT_NE(parseError(Bytes{'R', 'I', 'F', 'F', 0, 0, 0, 0}).find("MThd"), std::string::npos);
    parseError(Bytes{});
    parseError(chunk("MThd", {0, 0, 0, 1}));  // header chunk shorter than 6 bytes
}

TEST(MidiReader, RejectsLyingAndTruncatedChunks) {
    Bytes lyingTrack = concat({midiHeader(0, 1, 480), trackChunk({event(0, {0x90, 60, 100}), endOfTrack()})});
    lyingTrack[21] = 0x40;  // track length byte now claims far more than the file holds
    EXPECT_NE(parseError(lyingTrack).find("past the end"), std::string::npos);

    EXPECT_NE(parseError(concat({midiHeader(1, 3, 480), trackChunk({endOfTrack()})})).find("1 of 3"), std::string::npos);
    // The chunk length is honest but the message inside is cut short.
    parseError(concat({midiHeader(0, 1, 480), trackChunk({event(0, {0x90, 60})})}));
    parseError(concat({midiHeader(0, 1, 480), trackChunk({event(0, {0xFF, 0x01, 0x20, 'a'})})}));
    parseError(concat({midiHeader(0, 1, 480), trackChunk({event(0, {0xF0, 0x7F, 1})})}));
    parseError(concat({midiHeader(0, 1, 480), trackChunk({Bytes{0x81}})}));  // delta time cut short
    parseError(concat({midiHeader(0, 1, 480), trackChunk({Bytes{0x00}})}));  // delta without event
}

TEST(MidiReader, RejectsMalformedEvents) {
    auto single = [](Bytes e) { return concat({midiHeader(0, 1, 480), trackChunk({e, endOfTrack()})}); };
    EXPECT_NE(parseError(single(event(0, {60, 100}))).find("without a status"), std::string::npos);
    EXPECT_NE(parseError(single(event(0, {0x90, 0x80, 1}))).find("above 127"), std::string::npos);
    parseError(single(event(0, {0xF8})));                            // real-time byte is not a file event
    parseError(single(Bytes{0x80, 0x80, 0x80, 0x80, 0x00, 0x90, 1, 1}));  // five-byte delta time
    parseError(single(event(0, {0xFF, 0x51, 0x02, 0x07, 0xA1})));    // tempo with two bytes
    parseError(single(tempoEvent(0, 0)));
}

TEST(MidiReader, AnyPrefixOrCorruptionIsRejectedOrParsedWithoutOverrun) {
    const Bytes good = formatZeroSong();
    for (std::size_t n = 0; n < good.size(); ++n) {
        // A cut-off file: the track chunk length always points past the end.
        const Bytes cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n));
        EXPECT_FALSE(parseMidiFile(cut).file.has_value()) << "prefix of " << n << " bytes";
    }
    std::mt19937 random(1234);
    for (int round = 0; round < 3000; ++round) {
        Bytes corrupt = good;
        for (int flips = 0; flips < 3; ++flips) corrupt[random() % corrupt.size()] = static_cast<std::uint8_t>(random());
        MidiReadResult result = parseMidiFile(corrupt);
        EXPECT_TRUE(result.file.has_value() || !result.error.empty());
    }
}

TEST(MidiReader, FileErrorsNameTheFile) {
    EXPECT_NE(readMidiFile("/nonexistent/song.mid").error.find("/nonexistent/song.mid"), std::string::npos);
    const std::string path = scratchPath("short.mid");
    writeFile(path, Bytes{'M', 'T', 'h', 'd', 0, 0});
    const MidiReadResult result = readMidiFile(path);
    EXPECT_FALSE(result.file.has_value());
    EXPECT_NE(result.error.find(path), std::string::npos);
}

}  // namespace
}  // namespace velora::tools
