// SPDX-License-Identifier: MIT
#include "preset_commands.h"

#include <cstdio>

#include "preset_transfer.h"
#include "program_choice.h"

namespace velora::host {
namespace {

std::unique_ptr<PluginInstance> openPlugin(const GlobalOptions& global, std::string& error) {
    auto plugin = loadPlugin(global, error);
    if (plugin) plugin->open();
    return plugin;
}

int written(const std::string& path, const std::string& what) {
    const std::string text = path + ": " + what + "\n";
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
    return 0;
}

}  // namespace

int runExportProgram(const GlobalOptions& global, const std::string& program, const std::string& path) {
    std::string error;
    auto plugin = openPlugin(global, error);
    if (!plugin) return reportError(error);
    std::vector<std::string> names;
    for (vst::VstInt32 i = 0; i < plugin->effect()->numPrograms && i < 100000; ++i)
        names.push_back(plugin->programName(i));
    const std::optional<int> index = findProgram(program, names, error);
    if (!index) return reportError(error);
    const presets::FxProgram exported = exportProgram(*plugin, *index);
    if (!presets::writeFileBytes(path, presets::writeProgramFile(ownerOf(*plugin), exported), error))
        return reportError(error);
    return written(path, "program " + std::to_string(*index) + " \"" + exported.name + "\"");
}

int runExportBank(const GlobalOptions& global, const std::string& path) {
    std::string error;
    auto plugin = openPlugin(global, error);
    if (!plugin) return reportError(error);
    const std::vector<presets::FxProgram> programs = exportBank(*plugin);
    if (!presets::writeFileBytes(path, presets::writeBankFile(ownerOf(*plugin), programs), error))
        return reportError(error);
    return written(path, std::to_string(programs.size()) + " programs");
}

std::optional<presets::FxFile> readPresetFile(const std::string& path, bool bank, std::string& error) {
    std::vector<std::uint8_t> bytes;
    if (!presets::readFileBytes(path, bytes, error, bank ? presets::kMaxBankFileBytes : presets::kMaxProgramFileBytes))
        return std::nullopt;
    auto file = bank ? presets::readBankFile(bytes, error) : presets::readProgramFile(bytes, error);
    if (!file) error = path + ": " + error;
    if (file)
        for (const std::string& warning : file->warnings) reportWarning(path + ": " + warning);
    return file;
}

}  // namespace velora::host
