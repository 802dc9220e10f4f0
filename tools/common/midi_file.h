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
    std::string error;  // set when file is empty
};

// Parses a whole file image. Never reads outside `bytes`; any inconsistency
// (truncated chunk, chunk length beyond the file, bad status) is an error.
MidiReadResult parseMidiFile(std::span<const std::uint8_t> bytes);

MidiReadResult readMidiFile(const std::string& path);

}  // namespace velora::tools
