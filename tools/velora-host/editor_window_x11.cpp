// SPDX-License-Identifier: MIT
#include <chrono>
#include <cstdint>
#include <thread>

#include "editor_window.h"
#include "host_xlib.h"

namespace velora::host {
namespace {

// Xlib's default handler ends the program; a window destroyed behind our
// back (or a plug-in's mistake on our connection) must not.
int ignoreError(Display*, XErrorEvent*) { return 0; }

class X11EditorWindow final : public EditorWindow {
public:
    X11EditorWindow(const HostXlib& x, Display* display, const std::string& title, int width, int height)
        : x_(x), display_(display) {
        const int screen = DefaultScreen(display);
        width_ = width;
        height_ = height;
        window_ = x_.CreateSimpleWindow(display, RootWindow(display, screen), 0, 0, static_cast<unsigned>(width),
                                        static_cast<unsigned>(height), 0, 0, BlackPixel(display, screen));
        x_.StoreName(display, window_, title.c_str());
        x_.SelectInput(display, window_, StructureNotifyMask);
        deleteWindow_ = x_.InternAtom(display, "WM_DELETE_WINDOW", False);
        x_.SetWMProtocols(display, window_, &deleteWindow_, 1);
        fixSize();
        x_.MapWindow(display, window_);
        // The editor's window goes into a mapped parent, as in a host.
        XEvent event;
        for (int round = 0; round < 500 && !x_.CheckTypedWindowEvent(display, window_, MapNotify, &event); ++round) {
            x_.Sync(display, False);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }
    ~X11EditorWindow() override {
        x_.DestroyWindow(display_, window_);
        x_.CloseDisplay(display_);
    }

    void* parentHandle() const override { return reinterpret_cast<void*>(static_cast<std::uintptr_t>(window_)); }

    void resize(int width, int height) override {
        width_ = width;
        height_ = height;
        fixSize();
        x_.ResizeWindow(display_, window_, static_cast<unsigned>(width), static_cast<unsigned>(height));
        x_.Sync(display_, False);
    }

    void screenPosition(int& x, int& y) const override {
        Window child = 0;
        x = y = 0;
        x_.TranslateCoordinates(display_, window_, DefaultRootWindow(display_), 0, 0, &x, &y, &child);
    }

    // The plug-in's window has a connection of its own, served by its idle.
    void waitForEvents(int milliseconds) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }

    bool serveEvents() override {
        while (x_.Pending(display_) > 0) {
            XEvent event;
            x_.NextEvent(display_, &event);
            // A window manager's close button, or the window taken off the
            // screen (xdotool windowunmap, a session without manager).
            if (event.type == ClientMessage && static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow_)
                open_ = false;
            if (event.type == UnmapNotify || event.type == DestroyNotify) open_ = false;
        }
        return open_;
    }

    bool grab(RgbImage& image) override {
        XImage* pixels = x_.GetImage(display_, window_, 0, 0, static_cast<unsigned>(width_),
                                     static_cast<unsigned>(height_), AllPlanes, ZPixmap);
        if (!pixels) return false;
        image.width = width_;
        image.height = height_;
        image.rgb.assign(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_) * 3, 0);
        std::uint8_t* out = image.rgb.data();
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x) {
                const unsigned long pixel = XGetPixel(pixels, x, y);
                *out++ = channel(pixel, pixels->red_mask);
                *out++ = channel(pixel, pixels->green_mask);
                *out++ = channel(pixel, pixels->blue_mask);
            }
        XDestroyImage(pixels);
        return true;
    }

private:
    // The 8 bits of a channel whose mask is 8 bits wide (24- and 32-bit visuals).
    static std::uint8_t channel(unsigned long pixel, unsigned long mask) {
        if (mask == 0) return 0;
        int shift = 0;
        while (((mask >> shift) & 1u) == 0) ++shift;
        return static_cast<std::uint8_t>((pixel & mask) >> shift);
    }

    void fixSize() {
        XSizeHints* hints = x_.AllocSizeHints();
        if (!hints) return;
        hints->flags = PMinSize | PMaxSize;
        hints->min_width = hints->max_width = width_;
        hints->min_height = hints->max_height = height_;
        x_.SetWMNormalHints(display_, window_, hints);
        x_.Free(hints);
    }

    const HostXlib& x_;
    Display* display_;
    Window window_ = 0;
    Atom deleteWindow_ = 0;
    int width_ = 0;
    int height_ = 0;
    bool open_ = true;
};

}  // namespace

std::unique_ptr<EditorWindow> EditorWindow::create(const std::string& title, int width, int height,
                                                   std::string& error) {
    const HostXlib* x = hostXlib(error);
    if (!x) return nullptr;
    Display* display = x->OpenDisplay(nullptr);
    if (!display) {
        error = "cannot open the X display (is DISPLAY set?)";
        return nullptr;
    }
    x->SetErrorHandler(ignoreError);
    return std::make_unique<X11EditorWindow>(*x, display, title, width, height);
}

}  // namespace velora::host
