// SPDX-License-Identifier: MIT
// Arbitrary bytes as a Standard MIDI File: rejected with an error or read,
// never read out of bounds; a file that reads builds a timeline.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "midi_file.h"
#include "timeline.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto result = velora::tools::parseMidiFile(std::span<const std::uint8_t>(data, size));
    if (!result.file && result.error.empty()) __builtin_trap();
    if (result.warnings.size() > 7) __builtin_trap();  // one line per kind at most
    if (result.file) {
        std::string error;
        const auto timeline = velora::tools::Timeline::build(*result.file, 44100, 500000, error);
        if (timeline) (void)timeline->ppqAt(timeline->endSample());
    }
    return 0;
}
