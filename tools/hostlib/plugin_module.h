// SPDX-License-Identifier: MIT
#pragma once
// A loaded shared library (dlopen / LoadLibrary) and its exported symbols.
#include <memory>
#include <string>

namespace velora::host {

class PluginModule {
public:
    static std::shared_ptr<PluginModule> load(const std::string& path, std::string& error);
    ~PluginModule();
    PluginModule(const PluginModule&) = delete;
    PluginModule& operator=(const PluginModule&) = delete;

    void* symbol(const char* name) const;

private:
    explicit PluginModule(void* handle) : handle_(handle) {}
    void* handle_;
};

}  // namespace velora::host
