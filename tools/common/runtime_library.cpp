// SPDX-License-Identifier: MIT
#include "runtime_library.h"

#include <dlfcn.h>

namespace velora::tools {

RuntimeLibrary::RuntimeLibrary(const char* fileName) : fileName_(fileName) {
    handle_ = dlopen(fileName, RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        const char* reason = dlerror();
        openError_ = reason ? reason : "not found";
    }
}

RuntimeLibrary::~RuntimeLibrary() {
    if (handle_ && !kept_) dlclose(handle_);
}

void* RuntimeLibrary::lookup(const char* symbol) {
    void* address = handle_ ? dlsym(handle_, symbol) : nullptr;
    if (handle_ && !address && missing_.empty()) missing_ = symbol;
    return address;
}

bool RuntimeLibrary::usable(std::string& error) {
    if (!handle_) {
        error = "cannot load " + fileName_ + " (" + openError_ + ")";
        return false;
    }
    if (!missing_.empty()) {
        error = fileName_ + " has no " + missing_;
        return false;
    }
    kept_ = true;
    return true;
}

}  // namespace velora::tools
