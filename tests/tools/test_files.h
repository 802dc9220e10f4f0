// SPDX-License-Identifier: MIT
#pragma once
// Builders for MIDI file images and scratch files used across the tool tests.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace velora::tools::test {

using Bytes = std::vector<std::uint8_t>;

Bytes variableLength(std::uint32_t value);
Bytes midiHeader(std::uint16_t format, std::uint16_t tracks, std::uint16_t division);
Bytes chunk(const char* id, const Bytes& body);
// Track body from events already encoded as (delta, bytes...) sequences.
Bytes trackChunk(std::initializer_list<Bytes> events);
Bytes event(std::uint32_t delta, std::initializer_list<std::uint8_t> bytes);
Bytes tempoEvent(std::uint32_t delta, std::uint32_t microsPerQuarter);
Bytes endOfTrack(std::uint32_t delta = 0);
Bytes concat(std::initializer_list<Bytes> parts);

// A fresh path in the test temp folder (unique per call).
std::string scratchPath(const std::string& name);
void writeFile(const std::string& path, const Bytes& bytes);
Bytes readFile(const std::string& path);

}  // namespace velora::tools::test
