// SPDX-License-Identifier: MIT
#pragma once
// A top-level window of the host's own that holds the plug-in's editor: an
// X11 window on Linux, a Win32 window on Windows.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace velora::host {

// 8-bit RGB, rows top to bottom.
struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;

    bool operator==(const RgbImage&) const = default;
};

class EditorWindow {
public:
    // Null, with a reason, when no window can be made (no X server).
    static std::unique_ptr<EditorWindow> create(const std::string& title, int width, int height, std::string& error);
    virtual ~EditorWindow() = default;

    // What effEditOpen gets: the X11 Window id or the HWND.
    virtual void* parentHandle() const = 0;
    // Sets the size of the area the editor lives in.
    virtual void resize(int width, int height) = 0;
    // Where the editor's top-left corner is on the screen.
    virtual void screenPosition(int& x, int& y) const = 0;
    // Waits at most this long for events of the window (returns at once
    // where the editor's events do not come through the host, as on X11).
    virtual void waitForEvents(int milliseconds) = 0;
    // Serves the window's pending events; false once the user closed it.
    virtual bool serveEvents() = 0;
    // The window's pixels as they show now, editor included.
    virtual bool grab(RgbImage& image) = 0;
};

}  // namespace velora::host
