// SPDX-License-Identifier: MIT
#pragma once
// libX11 loaded at run time. The plug-in must load and render on machines
// without X (render servers, containers), so it never links against libX11:
// Xlib's headers give the types and every function is looked up with dlsym
// once, on the first editor window.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace velora::gui::x11 {

struct Xlib {
    decltype(&::XOpenDisplay) OpenDisplay;
    decltype(&::XCloseDisplay) CloseDisplay;
    decltype(&::XSync) Sync;
    decltype(&::XFlush) Flush;
    decltype(&::XPending) Pending;
    decltype(&::XNextEvent) NextEvent;
    decltype(&::XGetWindowAttributes) GetWindowAttributes;
    decltype(&::XCreateWindow) CreateWindow;
    decltype(&::XDestroyWindow) DestroyWindow;
    decltype(&::XMapWindow) MapWindow;
    decltype(&::XInternAtom) InternAtom;
    decltype(&::XChangeProperty) ChangeProperty;
    decltype(&::XQueryPointer) QueryPointer;
    decltype(&::XCreateGC) CreateGC;
    decltype(&::XFreeGC) FreeGC;
    decltype(&::XCreateImage) CreateImage;
    decltype(&::XPutImage) PutImage;
    decltype(&::XLookupString) LookupString;
    decltype(&::XSetInputFocus) SetInputFocus;
    decltype(&::XGetInputFocus) GetInputFocus;
    decltype(&::XSetErrorHandler) SetErrorHandler;
    decltype(&::XSetIOErrorHandler) SetIOErrorHandler;
    // libX11 1.7 and later: lets a lost server connection return instead of
    // ending the process. Null on older libraries.
    decltype(&::XSetIOErrorExitHandler) SetIOErrorExitHandler;
    // The server's resource database as text (Xft.dpi and the like).
    decltype(&::XResourceManagerString) ResourceManagerString;
};

// The functions of the process's libX11, loaded on the first call; null
// when the library or one of the functions is missing.
const Xlib* xlib();

// Why xlib() answered null: the loader's message or the missing function.
const char* xlibLoadError();

// Loads the functions from the library of the given file name; false when
// it or one of the required functions is missing (`out` is then unusable).
bool loadXlib(const char* libraryName, Xlib& out);

}  // namespace velora::gui::x11
