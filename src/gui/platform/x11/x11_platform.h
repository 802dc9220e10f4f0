// SPDX-License-Identifier: MIT
#pragma once
// The X11 window system of the Linux plug-in.
#include <memory>

#include "gui/platform/platform.h"

namespace velora::gui {

// Loads libX11 and checks that the X server named by `displayName` (null:
// $DISPLAY) answers; null when either is missing. The platform's windows use
// a connection of the plug-in's own (never the host's), opened with the
// first window and closed with the last.
//
// Threads: every call of the platform, its windows and edit boxes must come
// from one thread at a time, the thread that calls the editor's idle (which
// serves the window's events through processEvents).
std::unique_ptr<Platform> createX11Platform(const char* displayName = nullptr);

}  // namespace velora::gui
