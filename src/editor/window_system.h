#pragma once
// The window system the plug-in's editor opens its window on.
namespace velora::gui {
class Platform;
}

namespace velora::editor {

// The native window system of this build (GDI in the Windows DLL); null
// where the build has none, and the editor then answers the host's open
// with 0 and shows nothing.
gui::Platform* nativeWindowSystem();

}  // namespace velora::editor
