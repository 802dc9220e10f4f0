// SPDX-License-Identifier: MIT
#include "host_xlib.h"

#include "runtime_library.h"

namespace velora::host {
namespace {

bool load(HostXlib& x, std::string& error) {
    tools::RuntimeLibrary library("libX11.so.6");
    library.find("XOpenDisplay", x.OpenDisplay);
    library.find("XCloseDisplay", x.CloseDisplay);
    library.find("XSetErrorHandler", x.SetErrorHandler);
    library.find("XCreateSimpleWindow", x.CreateSimpleWindow);
    library.find("XDestroyWindow", x.DestroyWindow);
    library.find("XStoreName", x.StoreName);
    library.find("XSelectInput", x.SelectInput);
    library.find("XInternAtom", x.InternAtom);
    library.find("XSetWMProtocols", x.SetWMProtocols);
    library.find("XAllocSizeHints", x.AllocSizeHints);
    library.find("XSetWMNormalHints", x.SetWMNormalHints);
    library.find("XFree", x.Free);
    library.find("XMapWindow", x.MapWindow);
    library.find("XResizeWindow", x.ResizeWindow);
    library.find("XCheckTypedWindowEvent", x.CheckTypedWindowEvent);
    library.find("XSync", x.Sync);
    library.find("XPending", x.Pending);
    library.find("XNextEvent", x.NextEvent);
    library.find("XTranslateCoordinates", x.TranslateCoordinates);
    library.find("XGetImage", x.GetImage);
    if (library.usable(error)) return true;
    error += "; the editor needs the X11 client library";
    return false;
}

}  // namespace

const HostXlib* hostXlib(std::string& error) {
    static std::string loadError;
    static const HostXlib* const loaded = [] {
        static HostXlib functions;
        return load(functions, loadError) ? &functions : nullptr;
    }();
    if (!loaded) error = loadError;
    return loaded;
}

}  // namespace velora::host
