// SPDX-License-Identifier: MIT
#include "preset_transfer.h"

#include <algorithm>

namespace velora::host {
namespace {

// "Midi Learn": applied last, so that arming learn mode does not make the
// values set after it the learn target.
constexpr vst::VstInt32 kMidiLearnParameter = 98;
// Exports stop here even if a plug-in claims more entries.
constexpr vst::VstInt32 kMaxEntries = 100000;

bool fits(PluginInstance& plugin, const presets::FxFile& file, std::string& error) {
    const vst::AEffect& effect = *plugin.effect();
    error = presets::mismatchWith(file, effect.uniqueID, effect.numParams, effect.numPrograms);
    return error.empty();
}

void applyProgram(PluginInstance& plugin, const presets::FxProgram& program) {
    const auto count = static_cast<vst::VstInt32>(program.values.size());
    for (vst::VstInt32 i = 0; i < count; ++i)
        if (i != kMidiLearnParameter) plugin.setParameter(i, program.values[static_cast<std::size_t>(i)]);
    if (kMidiLearnParameter < count)
        plugin.setParameter(kMidiLearnParameter, program.values[static_cast<std::size_t>(kMidiLearnParameter)]);
    std::string name = program.name;  // the plug-in cuts it to its own limit
    plugin.dispatch(vst::effSetProgramName, 0, 0, name.data());
}

}  // namespace

presets::FxOwner ownerOf(PluginInstance& plugin) { return {plugin.effect()->uniqueID, plugin.effect()->version}; }

presets::FxProgram exportProgram(PluginInstance& plugin, vst::VstInt32 index) {
    plugin.setProgram(index);
    presets::FxProgram program;
    program.name = plugin.programName(index);
    const vst::VstInt32 count = std::clamp<vst::VstInt32>(plugin.effect()->numParams, 0, kMaxEntries);
    for (vst::VstInt32 i = 0; i < count; ++i) program.values.push_back(plugin.getParameter(i));
    return program;
}

std::vector<presets::FxProgram> exportBank(PluginInstance& plugin) {
    std::vector<presets::FxProgram> programs;
    const vst::VstInt32 count = std::clamp<vst::VstInt32>(plugin.effect()->numPrograms, 0, kMaxEntries);
    for (vst::VstInt32 i = 0; i < count; ++i) programs.push_back(exportProgram(plugin, i));
    return programs;
}

bool loadPreset(PluginInstance& plugin, const presets::FxFile& file, std::string& error) {
    if (!fits(plugin, file, error)) return false;
    applyProgram(plugin, file.programs.front());
    return true;
}

bool loadBank(PluginInstance& plugin, const presets::FxFile& file, vst::VstInt32 selected, std::string& error) {
    if (!fits(plugin, file, error)) return false;
    for (std::size_t i = 0; i < file.programs.size(); ++i) {
        plugin.setProgram(static_cast<vst::VstInt32>(i));
        applyProgram(plugin, file.programs[i]);
    }
    plugin.setProgram(selected);
    return true;
}

}  // namespace velora::host
