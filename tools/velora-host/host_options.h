// SPDX-License-Identifier: MIT
#pragma once
// Options shared by every velora-host command, and loading the plug-in with them.
#include <memory>
#include <string>

#include "plugin_host.h"

namespace velora::host {

struct GlobalOptions {
    std::string pluginPath;        // empty: the plug-in next to the executable
    std::string timeInfo = "yes";  // answer to canDo "sendVstTimeInfo": yes, no, unknown
    double tempo = 120.0;          // reported while no MIDI file sets a tempo
    int x87Precision = 0;          // 53 or 64: x87 precision control set before loading; 0 leaves it
};

// velora.dll (velora64.dll for the 64-bit host) in the executable's folder;
// velora.so in it or in the folders `cmake --install` uses.
std::string defaultPluginPath();

// Loads and creates the instance; host time starts at 0 with the given tempo.
// `host` gives the rest of the host's behaviour (its canDo answer is set here).
std::unique_ptr<PluginInstance> loadPlugin(const GlobalOptions& options, std::string& error, HostOptions host = {});

// Prints "velora-host: error: MESSAGE" as one line on stderr; returns 1.
int reportError(const std::string& message);
// Prints "velora-host: warning: MESSAGE" as one line on stderr.
void reportWarning(const std::string& message);

}  // namespace velora::host
