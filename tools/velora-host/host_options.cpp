// SPDX-License-Identifier: MIT
#include "host_options.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <vector>

#include "x87_precision.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <limits.h>
#include <unistd.h>
#endif

namespace velora::host {
namespace {

std::string executableFolder() {
#ifdef _WIN32
    char path[MAX_PATH + 1] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string text(path, length);
    const auto slash = text.find_last_of("\\/");
#else
    char path[PATH_MAX + 1] = {};
    const ssize_t length = readlink("/proc/self/exe", path, PATH_MAX);
    std::string text(path, length > 0 ? static_cast<std::size_t>(length) : 0);
    const auto slash = text.find_last_of('/');
#endif
    return slash == std::string::npos ? std::string(".") : text.substr(0, slash);
}

vst::VstIntPtr canDoAnswer(const std::string& timeInfo) {
    if (timeInfo == "yes") return 1;
    if (timeInfo == "no") return -1;
    return 0;
}

}  // namespace

std::string defaultPluginPath() {
#ifdef _WIN32
    // velora-host64.exe loads the 64-bit DLL, velora-host.exe the 32-bit one.
    return executableFolder() + (sizeof(void*) == 8 ? "\\velora64.dll" : "\\velora.dll");
#else
    // Beside the program (a build folder, a release archive), else where
    // `cmake --install` puts it: <prefix>/lib/vst, or ~/.vst for a user.
    const std::string folder = executableFolder();
    std::vector<std::string> candidates = {folder + "/velora.so", folder + "/../lib/vst/velora.so"};
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0')
        candidates.push_back(std::string(home) + "/.vst/velora.so");
    for (const std::string& candidate : candidates)
        if (std::ifstream(candidate, std::ios::binary)) return candidate;
    return candidates.front();
#endif
}

std::unique_ptr<PluginInstance> loadPlugin(const GlobalOptions& options, std::string& error, HostOptions hostOptions) {
    if (options.x87Precision != 0 && !setX87Precision(options.x87Precision)) {
        error = "--x87-precision needs an x86 processor";
        return nullptr;
    }
    hostOptions.canDoTimeInfo = canDoAnswer(options.timeInfo);
    const std::string path = options.pluginPath.empty() ? defaultPluginPath() : options.pluginPath;
    auto instance = PluginInstance::load(path, error, hostOptions);
    if (instance) {
        HostTime time;
        time.tempo = options.tempo;
        instance->setHostTime(time);
    }
    return instance;
}

int reportError(const std::string& message) {
    std::fprintf(stderr, "velora-host: error: %s\n", message.c_str());
    return 1;
}

void reportWarning(const std::string& message) { std::fprintf(stderr, "velora-host: warning: %s\n", message.c_str()); }

}  // namespace velora::host
