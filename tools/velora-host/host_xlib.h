// SPDX-License-Identifier: MIT
#pragma once
// The libX11 functions of velora-host's own window, loaded at run time so
// that render, info, the listings and the preset commands start on machines
// without X11 libraries (render servers, containers). Only `edit` and
// `screenshot` load it.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <string>

namespace velora::host {

struct HostXlib {
    decltype(&::XOpenDisplay) OpenDisplay;
    decltype(&::XCloseDisplay) CloseDisplay;
    decltype(&::XSetErrorHandler) SetErrorHandler;
    decltype(&::XCreateSimpleWindow) CreateSimpleWindow;
    decltype(&::XDestroyWindow) DestroyWindow;
    decltype(&::XStoreName) StoreName;
    decltype(&::XSelectInput) SelectInput;
    decltype(&::XInternAtom) InternAtom;
    decltype(&::XSetWMProtocols) SetWMProtocols;
    decltype(&::XAllocSizeHints) AllocSizeHints;
    decltype(&::XSetWMNormalHints) SetWMNormalHints;
    decltype(&::XFree) Free;
    decltype(&::XMapWindow) MapWindow;
    decltype(&::XResizeWindow) ResizeWindow;
    decltype(&::XCheckTypedWindowEvent) CheckTypedWindowEvent;
    decltype(&::XSync) Sync;
    decltype(&::XPending) Pending;
    decltype(&::XNextEvent) NextEvent;
    decltype(&::XTranslateCoordinates) TranslateCoordinates;
    decltype(&::XGetImage) GetImage;
};

// Loaded on the first call and kept for the process; null, with the
// loader's reason in `error`, when the library or a function is missing.
const HostXlib* hostXlib(std::string& error);

}  // namespace velora::host
