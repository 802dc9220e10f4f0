// SPDX-License-Identifier: MIT
#pragma once
// Standard MIDI File contents as the renderer needs them: channel messages
// and tempo changes per track, with absolute tick positions.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace velora::tools {

struct ChannelMessage {
    std::uint64_t tick = 0;
    std::uint8_t bytes[3] = {0, 0, 0};
    std::uint8_t size = 0;  // 2 for program change and channel pressure, else 3
};

struct TempoChange {
    std::uint64_t tick = 0;
    std::uint32_t microsPerQuarter = 500000;
};

struct MidiTrack {
    std::vector<ChannelMessage> messages;
    std::vector<TempoChange> tempoChanges;
    std::uint64_t endTick = 0;  // tick of the last event, end-of-track included
};

struct MidiFile {
    int format = 0;
    int ticksPerQuarter = 480;
    std::vector<MidiTrack> tracks;
};

struct MidiReadResult {
    std::optional<MidiFile> file;
    std::string error;                  // set when file is empty
    std::vector<std::string> warnings;  // what was read leniently, one line per kind
};

// Far above any real song; a file beyond either bound is refused, which
// keeps the memory a file can claim to a few hundred MB.
inline constexpr std::uint64_t kMaxMidiFileBytes = 64u << 20;
inline constexpr std::size_t kMaxMidiEvents = 4000000;  // channel messages and tempo changes

// Parses a whole file image. Never reads outside `bytes`; any inconsistency
// (truncated chunk, chunk length beyond the file, bad status) is an error.
// What common writers get wrong but leaves the meaning clear is read the
// way sequencers read it, with a warning: running status after a meta or
// system-exclusive event, bytes after End of Track, an End of Track with a
// length, a system-exclusive message without its end byte, track chunks
// beyond the declared count or a second header (both ignored), a tempo
// above 1000 BPM.
MidiReadResult parseMidiFile(std::span<const std::uint8_t> bytes);

MidiReadResult readMidiFile(const std::string& path);

}  // namespace velora::tools
