// SPDX-License-Identifier: MIT
#include "editor/native_platform.h"

#include <new>

#include "gui/platform/platform.h"
#if defined(_WIN32)
#include "gui/platform/win32/win32_platform.h"
#elif defined(__linux__)
#include "gui/platform/x11/x11_platform.h"
#endif

namespace velora::editor {

std::unique_ptr<gui::Platform> makeNativePlatform() {
    try {
#if defined(_WIN32)
        return gui::createWin32Platform();
#elif defined(__linux__)
        return gui::createX11Platform();
#else
        return nullptr;
#endif
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

}  // namespace velora::editor
