// SPDX-License-Identifier: MIT
#pragma once
// The platform (window system) the plug-in's editor opens its window on.
#include <memory>

namespace velora::gui {
class Platform;
}

namespace velora::editor {

// This build's native window system: GDI in the Windows DLLs, X11 (libX11
// loaded at run time) in velora.so. Null where none can be made: no libX11,
// no X server, or a build without one.
std::unique_ptr<gui::Platform> makeNativePlatform();

}  // namespace velora::editor
