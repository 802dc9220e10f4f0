// SPDX-License-Identifier: MIT
#include "gui/platform/win32/module_handle.h"

// The linker's symbol at the start of the loaded image.
extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace velora::gui::win32 {

HINSTANCE thisModule() {
    // Asked by an address inside the module: the host's own handle
    // (GetModuleHandle(nullptr)) would be the executable, not the DLL.
    HMODULE module = nullptr;
    const DWORD flags = GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT;
    if (GetModuleHandleExA(flags, reinterpret_cast<LPCSTR>(&thisModule), &module) && module) return module;
    return reinterpret_cast<HINSTANCE>(&__ImageBase);
}

}  // namespace velora::gui::win32
