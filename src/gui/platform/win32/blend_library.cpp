// SPDX-License-Identifier: MIT
#include "gui/platform/win32/blend_library.h"

#include <string>

namespace velora::gui::win32 {
namespace {

template <typename Function>
Function entry(HMODULE library, const char* name) {
    // Through the generic function pointer type, which converts to any other.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
}

// From the system folder by full path: a bare name would also search the
// host's folder and the current one, where any file of that name would be
// loaded into the host.
HMODULE loadSystemLibrary(const char* name) {
    char folder[MAX_PATH];
    const UINT length = GetSystemDirectoryA(folder, sizeof folder);
    if (length == 0 || length >= sizeof folder) return nullptr;
    const std::string path = std::string(folder, length) + "\\" + name;
    return LoadLibraryA(path.c_str());
}

bool isNtFamily() { return (GetVersion() & 0x80000000u) == 0; }

}  // namespace

BlendLibrary::BlendLibrary() : library_(loadSystemLibrary("msimg32.dll")) {
    if (!library_) return;
    alphaBlend_ = entry<AlphaBlendFunction>(library_, "AlphaBlend");
    if (isNtFamily()) transparentBlt_ = entry<TransparentBltFunction>(library_, "TransparentBlt");
}

BlendLibrary::~BlendLibrary() {
    if (library_) FreeLibrary(library_);
}

}  // namespace velora::gui::win32
