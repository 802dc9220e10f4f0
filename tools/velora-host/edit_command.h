// SPDX-License-Identifier: MIT
#pragma once
// The edit and screenshot commands: the plug-in's editor in a window of the
// host's own, with audio rendered silently in the background.
#include <optional>
#include <string>

#include "host_options.h"

namespace velora::host {

struct EditOptions {
    std::string program;            // number or name; empty: the plug-in's first program
    std::optional<double> seconds;  // edit: close after this long; screenshot: longest wait for the picture
    std::optional<double> scale;    // sent as the hosts' scale message before the editor opens
};

// Runs until the window is closed (or --seconds), then prints every
// parameter that changed: "INDEX NAME: BEFORE -> AFTER (DISPLAY)".
int runEdit(const GlobalOptions& global, const EditOptions& options);
// Waits for the editor's first paint and writes the window as a PNG file.
int runScreenshot(const GlobalOptions& global, const EditOptions& options, const std::string& pngPath);

}  // namespace velora::host
