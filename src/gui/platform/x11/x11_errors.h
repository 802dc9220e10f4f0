// SPDX-License-Identifier: MIT
#pragma once
// Our own handlers for X errors. Xlib's default handlers end the process,
// which would take the host down with it; the host's own handlers may do the
// same. While a display of ours is open, errors on it are counted and a lost
// connection is noted, and errors on every other display go on to the
// handler that was installed before ours.
#include "gui/platform/x11/xlib_library.h"

namespace velora::gui::x11 {

// Starts and ends the watch of one display; the handlers are installed with
// the first watched display and taken out with the last one. At most 32
// displays are watched at once; watchDisplay answers false beyond that.
bool watchDisplay(const Xlib& x, Display* display);
void unwatchDisplay(const Xlib& x, Display* display);

// Protocol errors seen on a watched display so far (compare two readings
// around an XSync to find out whether requests failed).
unsigned errorCount(Display* display);
// True once the connection of a watched display was lost: no further
// request should be made on it, except closing it.
bool connectionLost(Display* display);

}  // namespace velora::gui::x11
