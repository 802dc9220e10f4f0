#pragma once
// The window system the plug-in's editor opens its window on.
namespace velora::gui {
class Platform;
}

namespace velora::editor {

// Null while this build has no native window backend: the editor then
// answers the host's open with 0 and shows nothing.
gui::Platform* nativeWindowSystem();

}  // namespace velora::editor
