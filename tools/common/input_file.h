// SPDX-License-Identifier: MIT
#pragma once
// Reading a whole input file with a bound: only regular files, and only up
// to a size the caller names, so /dev/zero or a stray disk image given as a
// MIDI file is refused at once instead of filling the memory.
#include <cstdint>
#include <string>
#include <vector>

namespace velora::tools {

// All of the regular file at `path`, if it holds at most `maxBytes`;
// otherwise false and one line naming the file and the reason. `kind` names
// what the file should be in the size refusal ("a MIDI file").
bool readInputFile(const std::string& path, std::uint64_t maxBytes, const char* kind, std::vector<std::uint8_t>& bytes,
                   std::string& error);

}  // namespace velora::tools
