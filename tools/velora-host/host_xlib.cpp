#include "host_xlib.h"

#include <dlfcn.h>

namespace velora::host {
namespace {

constexpr const char* kLibraryName = "libX11.so.6";

template <typename Function>
bool find(void* library, const char* name, Function& out, std::string& missing) {
    out = reinterpret_cast<Function>(dlsym(library, name));
    if (!out && missing.empty()) missing = name;
    return out != nullptr;
}

bool load(HostXlib& x, std::string& error) {
    void* library = dlopen(kLibraryName, RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        const char* reason = dlerror();
        error = std::string("cannot load ") + kLibraryName + " (" + (reason ? reason : "not found") +
                "); the editor needs the X11 client library";
        return false;
    }
    std::string missing;
    bool ok = find(library, "XOpenDisplay", x.OpenDisplay, missing);
    ok = find(library, "XCloseDisplay", x.CloseDisplay, missing) && ok;
    ok = find(library, "XSetErrorHandler", x.SetErrorHandler, missing) && ok;
    ok = find(library, "XCreateSimpleWindow", x.CreateSimpleWindow, missing) && ok;
    ok = find(library, "XDestroyWindow", x.DestroyWindow, missing) && ok;
    ok = find(library, "XStoreName", x.StoreName, missing) && ok;
    ok = find(library, "XSelectInput", x.SelectInput, missing) && ok;
    ok = find(library, "XInternAtom", x.InternAtom, missing) && ok;
    ok = find(library, "XSetWMProtocols", x.SetWMProtocols, missing) && ok;
    ok = find(library, "XAllocSizeHints", x.AllocSizeHints, missing) && ok;
    ok = find(library, "XSetWMNormalHints", x.SetWMNormalHints, missing) && ok;
    ok = find(library, "XFree", x.Free, missing) && ok;
    ok = find(library, "XMapWindow", x.MapWindow, missing) && ok;
    ok = find(library, "XResizeWindow", x.ResizeWindow, missing) && ok;
    ok = find(library, "XCheckTypedWindowEvent", x.CheckTypedWindowEvent, missing) && ok;
    ok = find(library, "XSync", x.Sync, missing) && ok;
    ok = find(library, "XPending", x.Pending, missing) && ok;
    ok = find(library, "XNextEvent", x.NextEvent, missing) && ok;
    ok = find(library, "XTranslateCoordinates", x.TranslateCoordinates, missing) && ok;
    ok = find(library, "XGetImage", x.GetImage, missing) && ok;
    if (!ok) {
        error = std::string(kLibraryName) + " has no " + missing;
        dlclose(library);
    }
    return ok;
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
