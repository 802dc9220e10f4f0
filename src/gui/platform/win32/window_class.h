// SPDX-License-Identifier: MIT
#pragma once
// The frame windows' class, "Plugin" and the module handle in eight
// lowercase hex digits. The first window of the process registers it,
// later ones reuse it and the last to go unregisters it, so the DLL can be
// unloaded without leaving a class behind that points into it.
#include <windows.h>

namespace velora::gui::win32 {

// Registers the class on first use; false when the system refused.
bool acquireWindowClass(WNDPROC procedure);
// One release per successful acquire; the last one unregisters.
void releaseWindowClass();
// The class name (empty before the first registration).
const char* windowClassName();
int windowClassUsers();
// The system's swap-buttons setting as read when the class was registered.
bool mouseButtonsSwapped();

}  // namespace velora::gui::win32
