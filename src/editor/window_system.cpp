#include "editor/window_system.h"

#include <memory>

#if defined(_WIN32)
#include "gui/platform/win32/win32_platform.h"
#endif

namespace velora::editor {

// One window system for the whole module: it keeps the window class count
// that every editor's frame shares, and lives until the module unloads.
gui::Platform* nativeWindowSystem() {
#if defined(_WIN32)
    static const std::unique_ptr<gui::Platform> windows = gui::createWin32Platform();
    return windows.get();
#else
    return nullptr;
#endif
}

}  // namespace velora::editor
