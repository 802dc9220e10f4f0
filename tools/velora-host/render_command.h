// SPDX-License-Identifier: MIT
#pragma once
// `velora-host render`: a MIDI file through the plug-in into a WAV file.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "host_options.h"

namespace velora::host {

struct RenderOptions {
    std::string midiPath;
    std::string wavPath;
    std::string program;                // number or name; empty keeps the plug-in's choice
    std::vector<std::string> settings;  // "INDEX=VALUE", applied after the program
    std::uint32_t sampleRate = 44100;
    int blockSize = 512;
    std::optional<double> tailSeconds;  // none: until 0.5 s below -90 dBFS, at most 30 s
    std::string format = "16";          // 16, 24 or float
    std::string allProgramsDir;         // render once per program into this folder
    std::string presetPath;             // .fxp loaded into the program before the overrides
    std::string bankPath;               // .fxb loaded over the bank; --program picks from it
};

int runRender(const GlobalOptions& global, const RenderOptions& options);

}  // namespace velora::host
