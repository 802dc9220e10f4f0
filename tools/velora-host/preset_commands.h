// SPDX-License-Identifier: MIT
#pragma once
// `velora-host export-program` and `export-bank`: programs of the opened
// plug-in (its factory bank) into .fxp and .fxb files.
#include <optional>
#include <string>

#include "fx_file.h"
#include "host_options.h"

namespace velora::host {

int runExportProgram(const GlobalOptions& global, const std::string& program, const std::string& path);
int runExportBank(const GlobalOptions& global, const std::string& path);

// Reads and checks a whole .fxp (bank = false) or .fxb file; on failure
// `error` names the file and the fault.
std::optional<presets::FxFile> readPresetFile(const std::string& path, bool bank, std::string& error);

}  // namespace velora::host
