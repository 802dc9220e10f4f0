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
    return static_cast<std::int32_t>((std::uint32_t(std::uint8_t(text[0])) << 24) |
                                     (std::uint32_t(std::uint8_t(text[1])) << 16) |
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
};

std::vector<std::uint8_t> writeProgramFile(const FxOwner& owner, const FxProgram& program);
std::vector<std::uint8_t> writeBankFile(const FxOwner& owner, const std::vector<FxProgram>& programs);

// Read the whole file and check all of it: header, kind, sizes, counts and
// that every value is a finite number. On failure: nullopt and one line in
// `error` saying what is wrong.
std::optional<FxFile> readProgramFile(const std::vector<std::uint8_t>& bytes, std::string& error);
std::optional<FxFile> readBankFile(const std::vector<std::uint8_t>& bytes, std::string& error);

// Empty when the file fits a plug-in with this id and these counts (every
// program holds `paramCount` values, at most `programCount` programs);
// otherwise why not.
std::string mismatchWith(const FxFile& file, std::int32_t pluginId, std::int32_t paramCount, std::int32_t programCount);

// The whole file, or false with a one-line reason.
bool readFileBytes(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error);
bool writeFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes, std::string& error);

}  // namespace velora::presets
