// SPDX-License-Identifier: MIT
#pragma once
// The module this code is linked into: the plug-in DLL (or a test program).
// Its bitmap resources are loaded from it and its window class belongs to it.
#include <windows.h>

namespace velora::gui::win32 {

HINSTANCE thisModule();

}  // namespace velora::gui::win32
