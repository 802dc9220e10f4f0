// SPDX-License-Identifier: MIT
#pragma once
// Programs between a plug-in instance and .fxp/.fxb files, through the
// plug-in's interface only: parameter values and program names, the way
// hosts save and restore programs of plug-ins without data chunks.
#include <string>
#include <vector>

#include "fx_file.h"
#include "plugin_host.h"

namespace velora::host {

// The plug-in's id and version as they go into a file.
presets::FxOwner ownerOf(PluginInstance& plugin);

// Selects program `index` and reads its name and every parameter value.
presets::FxProgram exportProgram(PluginInstance& plugin, vst::VstInt32 index);
std::vector<presets::FxProgram> exportBank(PluginInstance& plugin);

// Loading checks first that the file fits the plug-in (id, counts) and
// changes nothing when it does not; `error` then says why.
// A preset replaces the current program's values and name.
bool loadPreset(PluginInstance& plugin, const presets::FxFile& file, std::string& error);
// A bank replaces the programs from 0 on, then selects `selected`.
bool loadBank(PluginInstance& plugin, const presets::FxFile& file, vst::VstInt32 selected, std::string& error);

}  // namespace velora::host
