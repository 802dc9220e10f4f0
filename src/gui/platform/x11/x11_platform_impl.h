// SPDX-License-Identifier: MIT
#pragma once
// The X11 platform: one Display connection of our own while frame windows
// are open, and the serving of their events from the editor's idle and from the
// controls' drag loops.
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "gui/platform/platform.h"
#include "gui/platform/x11/xlib_library.h"

namespace velora::gui::x11 {

class X11Window;

class X11Platform final : public Platform {
public:
    X11Platform(const Xlib& x, const char* displayName);
    ~X11Platform() override;

    int buttonWord() override;
    std::uint32_t tickCount() override;
    void sleep(int milliseconds) override;
    int doubleClickTime() override { return 400; }
    void pollInput() override;
    void processEvents() override;
    void dispatchOnePaint() override;
    std::unique_ptr<PlatformWindow> createWindow(void* parent, const Rect& size, WindowEvents& events) override;
    std::unique_ptr<PlatformImage> loadBitmap(int resourceId) override;
    double systemScaleFactor(void* parent) override;

    // For the windows and edit boxes.
    const Xlib& xlib() const { return x_; }
    Display* display() const { return display_; }
    // False once the server connection is gone (or closed).
    bool connected();
    // Errors so far, after every earlier request has been answered; then
    // whether the requests made since that reading all succeeded.
    unsigned settledErrors();
    bool requestsSucceeded(unsigned before);
    void forget(X11Window* window);

private:
    bool openDisplay();
    void closeDisplay();
    void readEvents(bool dispatchInput);
    void serve(XEvent& event, bool dispatchInput);
    void servePress(X11Window& window, const XButtonEvent& press);
    void servePaints();
    void noteLostConnection();
    X11Window* windowOf(::Window id) const;
    X11Window* windowWithEditBox(::Window id) const;

    const Xlib& x_;
    std::string displayName_;
    Display* display_ = nullptr;  // open while there are windows
    std::vector<X11Window*> windows_;
    std::deque<XEvent> deferred_;  // input that arrived during a drag loop
    int pressWord_ = 0;            // the word of a press being served
    bool servingInput_ = false;
    bool lostReported_ = false;
};

}  // namespace velora::gui::x11
