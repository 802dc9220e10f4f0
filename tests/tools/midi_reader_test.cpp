// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <filesystem>
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
    return concat(
        {midiHeader(0, 1, 96),
         trackChunk({tempoEvent(0, 600000), event(0, {0x90, 60, 100}), event(48, {62, 90}),  // running status
                     event(0, {0xF0, 0x03, 0x43, 0x12, 0xF7}),                               // sysex skipped
                     event(48, {0x80, 60, 0}), event(0, {0xC3, 5}), event(10, {0xE0, 0, 64}), endOfTrack(100)})});
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
    EXPECT_NE(parseError(concat({midiHeader(0, 1, 0xE728), trackChunk({endOfTrack()})})).find("SMPTE"),
              std::string::npos);
    EXPECT_NE(parseError(concat({midiHeader(2, 1, 480), trackChunk({endOfTrack()})})).find("format 2"),
              std::string::npos);
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

    EXPECT_NE(parseError(concat({midiHeader(1, 3, 480), trackChunk({endOfTrack()})})).find("1 of 3"),
              std::string::npos);
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
    parseError(single(event(0, {0xF8})));                                 // real-time byte is not a file event
    parseError(single(Bytes{0x80, 0x80, 0x80, 0x80, 0x00, 0x90, 1, 1}));  // five-byte delta time
    parseError(single(event(0, {0xFF, 0x51, 0x02, 0x07, 0xA1})));         // tempo with two bytes
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
        for (int flips = 0; flips < 3; ++flips)
            corrupt[random() % corrupt.size()] = static_cast<std::uint8_t>(random());
        MidiReadResult result = parseMidiFile(corrupt);
        EXPECT_TRUE(result.file.has_value() || !result.error.empty());
    }
}

// Each case reads with exactly one warning line, and what it reads is what
// sequencers make of it.
TEST(MidiReader, LenientReadingWarnsOncePerKind) {
    auto song = [](std::initializer_list<Bytes> events) { return concat({midiHeader(0, 1, 480), trackChunk(events)}); };
    const Bytes note = event(0, {0x90, 60, 100});
    const struct {
        const char* what;
        Bytes bytes;
        const char* warning;   // empty: none
        std::size_t messages;  // in the first track
        std::size_t tracks;
    } cases[] = {
        {"running status after a meta event",
         song({note, tempoEvent(0, 400000), event(5, {61, 90}), event(5, {62, 90})}),
         "running status after a meta or system-exclusive event at byte 34", 3, 1},
        {"running status after sysex", song({note, event(0, {0xF0, 0x01, 0xF7}), event(5, {61, 90})}),
         "running status after a meta", 2, 1},
        {"events after End of Track", song({note, endOfTrack(), note, note}), "8 bytes after End of Track", 1, 1},
        {"End of Track with a length", song({note, event(0, {0xFF, 0x2F, 0x02, 1, 2})}),
         "End of Track with a length of 2", 1, 1},
        {"sysex without its end byte", song({event(0, {0xF0, 0x02, 0x43, 0x10}), note, endOfTrack()}),
         "system-exclusive message without its end byte at byte 22", 1, 1},
        {"unended sysex at the end of the track", song({note, event(0, {0xF0, 0x01, 0x43})}), "without its end byte", 1,
         1},
        {"sysex in packets", song({event(0, {0xF0, 0x01, 0x43}), event(1, {0xF7, 0x02, 0x10, 0xF7}), note}), "", 1, 1},
        {"more tracks than declared",
         concat({midiHeader(1, 1, 480), trackChunk({note}), trackChunk({note}), trackChunk({note})}),
         "2 track chunks beyond the 1 the header declares ignored", 1, 1},
        {"a second header", concat({midiHeader(0, 1, 480), midiHeader(0, 1, 96), trackChunk({note})}),
         "a second MThd header at byte 14 ignored", 1, 1},
        {"a tempo of 1 microsecond", song({tempoEvent(0, 1), note}), "tempo of 1 microseconds per quarter note", 1, 1},
        {"a fast but plausible tempo", song({tempoEvent(0, 60000), note}), "", 1, 1},
    };
    for (const auto& c : cases) {
        const MidiReadResult result = parseMidiFile(c.bytes);
        ASSERT_TRUE(result.file) << c.what << ": " << result.error;
        ASSERT_EQ(result.warnings.size(), *c.warning ? 1u : 0u) << c.what;
        if (*c.warning) {
            EXPECT_NE(result.warnings[0].find(c.warning), std::string::npos) << c.what << ": " << result.warnings[0];
        }
        EXPECT_EQ(result.file->tracks.size(), c.tracks) << c.what;
        EXPECT_EQ(result.file->tracks[0].messages.size(), c.messages) << c.what;
    }
    // Many of one kind still give one line.
    EXPECT_EQ(parseMidiFile(song({note, tempoEvent(0, 1), tempoEvent(0, 2), tempoEvent(0, 3)})).warnings.size(), 1u);
}

TEST(MidiReader, EventCountIsBounded) {
    // Program changes in running status: two bytes an event, the budget plus one.
    Bytes body = {0x00, 0xC0, 0x05};
    for (std::size_t i = 1; i <= kMaxMidiEvents; ++i) body.insert(body.end(), {0x00, 0x05});
    const MidiReadResult result = parseMidiFile(concat({midiHeader(0, 1, 480), chunk("MTrk", body)}));
    EXPECT_FALSE(result.file);
    EXPECT_NE(result.error.find("more than 4000000 events"), std::string::npos) << result.error;
    body.resize(body.size() - 2);
    EXPECT_TRUE(parseMidiFile(concat({midiHeader(0, 1, 480), chunk("MTrk", body)})).file);
}

TEST(MidiReader, FileErrorsNameTheFile) {
    EXPECT_NE(readMidiFile("/nonexistent/song.mid").error.find("/nonexistent/song.mid"), std::string::npos);
    const std::string path = scratchPath("short.mid");
    writeFile(path, Bytes{'M', 'T', 'h', 'd', 0, 0});
    const MidiReadResult result = readMidiFile(path);
    EXPECT_FALSE(result.file.has_value());
    EXPECT_NE(result.error.find(path), std::string::npos);
    const std::string huge = scratchPath("huge.mid");
    writeFile(huge, {});
    std::filesystem::resize_file(huge, kMaxMidiFileBytes + 1);
    EXPECT_NE(readMidiFile(huge).error.find("more than a MIDI file may (at most 64 MB)"), std::string::npos);
    const std::string lenient = scratchPath("lenient.mid");
    writeFile(lenient, concat({midiHeader(0, 1, 480), trackChunk({event(0, {0xFF, 0x2F, 0x01, 0})})}));
    const MidiReadResult warned = readMidiFile(lenient);
    ASSERT_EQ(warned.warnings.size(), 1u);
    EXPECT_EQ(warned.warnings[0].rfind(lenient + ": End of Track", 0), 0u) << warned.warnings[0];
}

}  // namespace
}  // namespace velora::tools
