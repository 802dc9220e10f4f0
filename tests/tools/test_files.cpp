// SPDX-License-Identifier: MIT
#include "test_files.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <unistd.h>

namespace velora::tools::test {

Bytes variableLength(std::uint32_t value) {
    Bytes out{static_cast<std::uint8_t>(value & 0x7F)};
    while (value >>= 7) out.insert(out.begin(), static_cast<std::uint8_t>(0x80 | (value & 0x7F)));
    return out;
}

Bytes midiHeader(std::uint16_t format, std::uint16_t tracks, std::uint16_t division) {
    return chunk("MThd", {std::uint8_t(format >> 8), std::uint8_t(format), std::uint8_t(tracks >> 8),
                          std::uint8_t(tracks), std::uint8_t(division >> 8), std::uint8_t(division)});
}

Bytes chunk(const char* id, const Bytes& body) {
    Bytes out(id, id + 4);
    const auto n = static_cast<std::uint32_t>(body.size());
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(std::uint8_t(n >> shift));
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

Bytes trackChunk(std::initializer_list<Bytes> events) { return chunk("MTrk", concat(events)); }

Bytes event(std::uint32_t delta, std::initializer_list<std::uint8_t> bytes) {
    Bytes out = variableLength(delta);
    out.insert(out.end(), bytes.begin(), bytes.end());
    return out;
}

Bytes tempoEvent(std::uint32_t delta, std::uint32_t micros) {
    return event(delta,
                 {0xFF, 0x51, 0x03, std::uint8_t(micros >> 16), std::uint8_t(micros >> 8), std::uint8_t(micros)});
}

Bytes endOfTrack(std::uint32_t delta) { return event(delta, {0xFF, 0x2F, 0x00}); }

std::string scratchPath(const std::string& name) {
    static std::atomic<int> counter{0};
    const auto folder = std::filesystem::path(::testing::TempDir()) /
                        ("velora_tools_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
    std::filesystem::create_directories(folder);
    return (folder / name).string();
}

void writeFile(const std::string& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

Bytes readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace velora::tools::test
