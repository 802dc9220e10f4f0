// SPDX-License-Identifier: MIT
#pragma once
// Writes Standard MIDI Files (format 1) from events placed at absolute ticks.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace velora::demo {

class MidiTrackBuilder {
public:
    void add(std::uint32_t tick, std::initializer_list<std::uint8_t> bytes);
    void tempo(std::uint32_t tick, double bpm);
    void text(std::uint32_t tick, std::uint8_t metaType, const std::string& text);
    // Track chunk body: events in tick order (stable), then end of track.
    std::vector<std::uint8_t> encode() const;

private:
    struct Event {
        std::uint32_t tick;
        std::vector<std::uint8_t> bytes;
    };
    std::vector<Event> events_;
};

bool writeMidiFile(const std::string& path, std::uint16_t ticksPerQuarter, const std::vector<MidiTrackBuilder>& tracks);

}  // namespace velora::demo
