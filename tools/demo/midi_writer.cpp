// SPDX-License-Identifier: MIT
#include "midi_writer.h"

#include <algorithm>
#include <cmath>
#include <fstream>

namespace velora::demo {
namespace {

void putVariableLength(std::vector<std::uint8_t>& out, std::uint32_t value) {
    std::uint8_t groups[5];
    int count = 0;
    do {
        groups[count++] = static_cast<std::uint8_t>(value & 0x7F);
        value >>= 7;
    } while (value != 0);
    while (count > 1) out.push_back(static_cast<std::uint8_t>(groups[--count] | 0x80));
    out.push_back(groups[0]);
}

void putBigEndian(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
    for (int shift = 8 * (bytes - 1); shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void putChunk(std::vector<std::uint8_t>& out, const char* id, const std::vector<std::uint8_t>& body) {
    out.insert(out.end(), id, id + 4);
    putBigEndian(out, static_cast<std::uint32_t>(body.size()), 4);
    out.insert(out.end(), body.begin(), body.end());
}

}  // namespace

void MidiTrackBuilder::add(std::uint32_t tick, std::initializer_list<std::uint8_t> bytes) {
    events_.push_back({tick, std::vector<std::uint8_t>(bytes)});
}

void MidiTrackBuilder::tempo(std::uint32_t tick, double bpm) {
    const auto micros = static_cast<std::uint32_t>(std::lround(60.0e6 / bpm));
    add(tick, {0xFF, 0x51, 0x03, std::uint8_t(micros >> 16), std::uint8_t(micros >> 8), std::uint8_t(micros)});
}

void MidiTrackBuilder::text(std::uint32_t tick, std::uint8_t metaType, const std::string& text) {
    Event event{tick, {0xFF, metaType}};
    putVariableLength(event.bytes, static_cast<std::uint32_t>(text.size()));
    event.bytes.insert(event.bytes.end(), text.begin(), text.end());
    events_.push_back(std::move(event));
}

std::vector<std::uint8_t> MidiTrackBuilder::encode() const {
    std::vector<Event> sorted = events_;
    std::stable_sort(sorted.begin(), sorted.end(), [](const Event& a, const Event& b) { return a.tick < b.tick; });
    std::vector<std::uint8_t> body;
    std::uint32_t now = 0;
    for (const Event& event : sorted) {
        putVariableLength(body, event.tick - now);
        now = event.tick;
        body.insert(body.end(), event.bytes.begin(), event.bytes.end());
    }
    body.insert(body.end(), {0x00, 0xFF, 0x2F, 0x00});
    return body;
}

bool writeMidiFile(const std::string& path, std::uint16_t ticksPerQuarter,
                   const std::vector<MidiTrackBuilder>& tracks) {
    std::vector<std::uint8_t> header;
    putBigEndian(header, 1, 2);
    putBigEndian(header, static_cast<std::uint32_t>(tracks.size()), 2);
    putBigEndian(header, ticksPerQuarter, 2);
    std::vector<std::uint8_t> file;
    putChunk(file, "MThd", header);
    for (const MidiTrackBuilder& track : tracks) putChunk(file, "MTrk", track.encode());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
    return static_cast<bool>(out);
}

}  // namespace velora::demo
