// SPDX-License-Identifier: MIT
#include "gui/platform/win32/window_class.h"

#include <cstdint>
#include <cstdio>

#include "gui/platform/win32/module_handle.h"

namespace velora::gui::win32 {
namespace {

// Hosts open editors on one GUI thread, but a lock keeps the count and the
// registration together should two threads ever open at once.
SRWLOCK lock = SRWLOCK_INIT;
int users = 0;
char className[32] = {};
bool swapped = false;

class Locked {
public:
    Locked() { AcquireSRWLockExclusive(&lock); }
    ~Locked() { ReleaseSRWLockExclusive(&lock); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;
};

bool registerClass(WNDPROC procedure) {
    const HINSTANCE module = thisModule();
    std::snprintf(className, sizeof className, "Plugin%08x",
                  static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(module)));
    WNDCLASSA description{};
    description.style = CS_GLOBALCLASS;
    description.lpfnWndProc = procedure;
    description.hInstance = module;
    description.hCursor = LoadCursor(nullptr, IDC_ARROW);
    description.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    description.lpszClassName = className;
    // A class left from an unregistration the system refused (a window
    // still alive) is ours and is used as it is.
    if (!RegisterClassA(&description) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
    swapped = GetSystemMetrics(SM_SWAPBUTTON) != 0;
    return true;
}

}  // namespace

bool acquireWindowClass(WNDPROC procedure) {
    Locked guard;
    if (users == 0 && !registerClass(procedure)) return false;
    ++users;
    return true;
}

void releaseWindowClass() {
    Locked guard;
    if (users <= 0) return;
    if (--users == 0) UnregisterClassA(className, thisModule());
}

const char* windowClassName() { return className; }

int windowClassUsers() {
    Locked guard;
    return users;
}

bool mouseButtonsSwapped() {
    Locked guard;
    return users > 0 ? swapped : GetSystemMetrics(SM_SWAPBUTTON) != 0;
}

}  // namespace velora::gui::win32
