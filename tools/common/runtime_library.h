// SPDX-License-Identifier: MIT
#pragma once
// A system library the tools open at run time, for what only some commands
// need (libX11 and libpng for the editor window and its screenshot), so the
// program itself starts where the library is not installed.
#include <string>

namespace velora::tools {

class RuntimeLibrary {
public:
    explicit RuntimeLibrary(const char* fileName);
    RuntimeLibrary(const RuntimeLibrary&) = delete;
    RuntimeLibrary& operator=(const RuntimeLibrary&) = delete;
    // Closes the library unless usable() kept it.
    ~RuntimeLibrary();

    // Looks a function up; a missing one is remembered for usable().
    template <typename Function>
    void find(const char* symbol, Function& out) {
        out = reinterpret_cast<Function>(lookup(symbol));
    }

    // True when the library opened and every function was found; it then
    // stays loaded for the life of the process. Else `error` says why.
    bool usable(std::string& error);

private:
    void* lookup(const char* symbol);

    std::string fileName_;
    void* handle_ = nullptr;
    std::string openError_;
    std::string missing_;
    bool kept_ = false;
};

}  // namespace velora::tools
