// SPDX-License-Identifier: MIT
#include "gui/platform/x11/xlib_library.h"

#include <dlfcn.h>

#include <string>

namespace velora::gui::x11 {
namespace {

// The reason of the last failed load, for the log.
std::string loadError;

template <typename Function>
bool find(void* library, const char* name, Function& out) {
    out = reinterpret_cast<Function>(dlsym(library, name));
    if (!out && loadError.empty()) loadError = std::string("no ") + name;
    return out != nullptr;
}

}  // namespace

bool loadXlib(const char* libraryName, Xlib& out) {
    out = Xlib{};
    if (!libraryName) return false;
    // Kept loaded for the life of the process: the host's own Xlib calls may
    // still reach our error handlers, and hosts load libX11 anyway.
    loadError.clear();
    void* library = dlopen(libraryName, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (!library) {
        const char* reason = dlerror();
        loadError = reason ? reason : "not found";
        return false;
    }
    bool ok = find(library, "XOpenDisplay", out.OpenDisplay);
    ok = find(library, "XCloseDisplay", out.CloseDisplay) && ok;
    ok = find(library, "XSync", out.Sync) && ok;
    ok = find(library, "XFlush", out.Flush) && ok;
    ok = find(library, "XPending", out.Pending) && ok;
    ok = find(library, "XNextEvent", out.NextEvent) && ok;
    ok = find(library, "XGetWindowAttributes", out.GetWindowAttributes) && ok;
    ok = find(library, "XCreateWindow", out.CreateWindow) && ok;
    ok = find(library, "XDestroyWindow", out.DestroyWindow) && ok;
    ok = find(library, "XMapWindow", out.MapWindow) && ok;
    ok = find(library, "XInternAtom", out.InternAtom) && ok;
    ok = find(library, "XChangeProperty", out.ChangeProperty) && ok;
    ok = find(library, "XQueryPointer", out.QueryPointer) && ok;
    ok = find(library, "XCreateGC", out.CreateGC) && ok;
    ok = find(library, "XFreeGC", out.FreeGC) && ok;
    ok = find(library, "XCreateImage", out.CreateImage) && ok;
    ok = find(library, "XPutImage", out.PutImage) && ok;
    ok = find(library, "XLookupString", out.LookupString) && ok;
    ok = find(library, "XSetInputFocus", out.SetInputFocus) && ok;
    ok = find(library, "XGetInputFocus", out.GetInputFocus) && ok;
    ok = find(library, "XSetErrorHandler", out.SetErrorHandler) && ok;
    ok = find(library, "XSetIOErrorHandler", out.SetIOErrorHandler) && ok;
    ok = find(library, "XResourceManagerString", out.ResourceManagerString) && ok;
    if (ok)
        out.SetIOErrorExitHandler = reinterpret_cast<decltype(out.SetIOErrorExitHandler)>(
            dlsym(library, "XSetIOErrorExitHandler"));  // optional
    if (!ok) dlclose(library);
    return ok;
}

const char* xlibLoadError() { return loadError.c_str(); }

const Xlib* xlib() {
    // Thread-safe once: loaded by whichever thread opens the first editor.
    static const Xlib* const loaded = [] {
        static Xlib functions;
        return loadXlib("libX11.so.6", functions) ? &functions : nullptr;
    }();
    return loaded;
}

}  // namespace velora::gui::x11
