#pragma once
// The X11 window system of the Linux plug-in.
#include <memory>

#include "gui/platform/platform.h"

namespace velora::gui {

// Loads libX11 and connects to the X server named by `displayName` (null:
// $DISPLAY). Null when either is missing. The connection is the plug-in's
// own (the host's is never used); it closes when the last window goes and
// opens again for the next one.
//
// Threads: every call of the platform, its windows and edit boxes must come
// from one thread at a time, the thread that calls the editor's idle (which
// serves the window's events through processEvents).
std::unique_ptr<Platform> createX11Platform(const char* displayName = nullptr);

}  // namespace velora::gui
