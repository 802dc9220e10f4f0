// SPDX-License-Identifier: MIT
#include "plugin_module.h"

#include <fstream>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace velora::host {
namespace {

#ifdef _WIN32
std::string lastSystemError() {
    const DWORD code = GetLastError();
    char text[512] = {};
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                                        text, sizeof text - 1, nullptr);
    std::string message(text, length);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == '.'))
        message.pop_back();
    return message.empty() ? "error " + std::to_string(code) : message;
}
#endif

}  // namespace

std::shared_ptr<PluginModule> PluginModule::load(const std::string& path, std::string& error) {
    if (!std::ifstream(path, std::ios::binary)) {
        error = "cannot open plug-in '" + path + "': no such file";
        return nullptr;
    }
#ifdef _WIN32
    // No message boxes about missing DLLs: the caller reports the failure.
    const UINT previousMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE handle = LoadLibraryA(path.c_str());
    SetErrorMode(previousMode);
    if (!handle) {
        error = "cannot load plug-in '" + path + "': " + lastSystemError();
        return nullptr;
    }
    return std::shared_ptr<PluginModule>(new PluginModule(reinterpret_cast<void*>(handle)));
#else
    // A bare file name would make dlopen search the library path instead.
    const std::string explicitPath = path.find('/') == std::string::npos ? "./" + path : path;
    void* handle = dlopen(explicitPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* reason = dlerror();
        error = "cannot load plug-in '" + path + "': " + (reason ? reason : "unknown error");
        return nullptr;
    }
    return std::shared_ptr<PluginModule>(new PluginModule(handle));
#endif
}

PluginModule::~PluginModule() {
#ifdef _WIN32
    FreeLibrary(reinterpret_cast<HMODULE>(handle_));
#else
    dlclose(handle_);
#endif
}

void* PluginModule::symbol(const char* name) const {
#ifdef _WIN32
    return reinterpret_cast<void*>(GetProcAddress(reinterpret_cast<HMODULE>(handle_), name));
#else
    return dlsym(handle_, name);
#endif
}

}  // namespace velora::host
