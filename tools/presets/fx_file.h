// SPDX-License-Identifier: MIT
#pragma once
// Preset (.fxp) and bank (.fxb) files in the VST 2 exchange format of
// plug-ins that keep programs as parameter values: a 'CcnK' header, then
// 'FxCk' with one program's name and values, or 'FxBk' with a run of such
// programs. Every number is big-endian; values are 32-bit floats.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace velora::presets {

// Four characters as the big-endian number the format stores ("KrVl").
constexpr std::int32_t fourCC(const char (&text)[5]) {
    return static_cast<std::int32_t>(
        (std::uint32_t(std::uint8_t(text[0])) << 24) | (std::uint32_t(std::uint8_t(text[1])) << 16) |
        (std::uint32_t(std::uint8_t(text[2])) << 8) | std::uint32_t(std::uint8_t(text[3])));
}

// Whose file it is: the plug-in's unique id and version.
struct FxOwner {
    std::int32_t pluginId = 0;
    std::int32_t pluginVersion = 0;
};

struct FxProgram {
    std::string name;  // at most 27 characters are stored
    std::vector<float> values;
};

struct FxFile {
    FxOwner owner;
    std::vector<FxProgram> programs;  // exactly one in a preset file
    // A version-2 bank's current program, when it names one of its programs.
    std::optional<std::int32_t> currentProgram;
    // What was read leniently, one line each; not part of the contents.
    std::vector<std::string> warnings;
};

// Far above any plug-in's files (Velora's: 492 and 31 444 bytes); larger
// files are refused before they are read.
inline constexpr std::uint64_t kMaxProgramFileBytes = 1u << 20;
inline constexpr std::uint64_t kMaxBankFileBytes = 64u << 20;

std::vector<std::uint8_t> writeProgramFile(const FxOwner& owner, const FxProgram& program);
std::vector<std::uint8_t> writeBankFile(const FxOwner& owner, const std::vector<FxProgram>& programs);

// Read the whole file and check all of it: header, kind, sizes, counts and
// that every value is a normalised parameter value, a number in [0, 1]. On
// failure: nullopt and one line in `error` saying what is wrong.
std::optional<FxFile> readProgramFile(const std::vector<std::uint8_t>& bytes, std::string& error);
std::optional<FxFile> readBankFile(const std::vector<std::uint8_t>& bytes, std::string& error);

// Empty when the file fits a plug-in with this id and these counts (every
// program holds `paramCount` values, at most `programCount` programs);
// otherwise why not.
std::string mismatchWith(const FxFile& file, std::int32_t pluginId, std::int32_t paramCount, std::int32_t programCount);

// Empty when a bank fills the plug-in's programs; otherwise the warning
// that the rest keep what they hold (a short bank is loaded partly).
std::string partialBankNote(const FxFile& file, std::int32_t programCount);

// The whole file if it is a regular file of at most `maxBytes`, or false
// with a one-line reason naming the file.
bool readFileBytes(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error,
                   std::uint64_t maxBytes = kMaxBankFileBytes);
// Replaces `path` only once the whole file is written.
bool writeFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes, std::string& error);

}  // namespace velora::presets
