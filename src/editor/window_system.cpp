#include "editor/window_system.h"

namespace velora::editor {

gui::Platform* nativeWindowSystem() { return nullptr; }

}  // namespace velora::editor
