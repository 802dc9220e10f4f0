// SPDX-License-Identifier: MIT
#pragma once
// The seam between the toolkit and a window system. Everything the toolkit
// needs from the machine goes through these three interfaces; each backend
// (native Windows, X11, headless for tests) implements them once.
//
// Threads: every call is made on the GUI thread.
#include <cstdint>
#include <memory>
#include <string>

#include "gui/canvas.h"
#include "gui/font_table.h"
#include "gui/geometry.h"
#include "gui/input.h"

namespace velora::gui {

// What a frame's window reports back to the frame.
class WindowEvents {
public:
    virtual ~WindowEvents() = default;
    // A region needs painting (the window was exposed or invalidated).
    virtual void paint(Canvas& canvas, const Rect& area) = 0;
    // A mouse button went down over the window, at a point in frame pixels.
    virtual void buttonDown(Canvas& canvas, Point where) = 0;
    // A key typed into the frame's window (where the system delivers keys
    // there rather than through the host). Answers -1 when nobody took it.
    virtual int key(const KeyCode& key, bool down) = 0;
    // Files (kind 0) or plain text (kind 1) dropped at a point; true when a
    // view took them.
    virtual bool drop(const char* const* items, int count, int kind, Point where) = 0;
    // The system destroyed the window.
    virtual void windowDestroyed() = 0;
};

// What a single-line edit box reports back to its owner.
class EditBoxEvents {
public:
    virtual ~EditBoxEvents() = default;
    virtual void returnPressed() = 0;
    virtual void focusLost() = 0;
};

struct EditBoxSetup {
    Rect area;  // left, top and size of the box in frame pixels
    int alignment = kAlignLeft;
    FontRequest font;  // its face, pixel height and weight
    Colour textColour = kWhite;
    Colour backColour = kBlack;
    int sideMargins = 3;  // left and right, pixels
    int maxLength = 255;  // characters the user can type
    std::string text;     // shown selected when the box opens
};

// A native single-line edit box laid over the frame. Destroying the object
// destroys the box; it reports nothing after that. The owner may destroy it
// from inside its own returnPressed or focusLost.
class EditBox {
public:
    virtual ~EditBox() = default;
    virtual std::string text() const = 0;
};

// The frame's own child window.
class PlatformWindow {
public:
    virtual ~PlatformWindow() = default;
    // A canvas on the window's surface; releasing it shows what was drawn.
    virtual std::unique_ptr<Canvas> surface() = 0;
    // Asks for a paint of the area later (through WindowEvents::paint).
    virtual void invalidate(const Rect& area) = 0;
    // The pointer's position relative to the window's top-left corner.
    virtual Point pointer() = 0;
    // Opens an edit box with the keyboard focus; null when none can be made.
    virtual std::unique_ptr<EditBox> createEditBox(const EditBoxSetup& setup, EditBoxEvents& events) = 0;
};

class Platform {
public:
    virtual ~Platform() = default;

    // The live button word (see input.h), with swapped buttons already
    // exchanged back.
    virtual int buttonWord() = 0;
    // Milliseconds of a monotonic clock, wrapping at 32 bits.
    virtual std::uint32_t tickCount() = 0;
    virtual void sleep(int milliseconds) = 0;
    virtual int doubleClickTime() = 0;
    // Called before each pointer read of a drag loop, so that backends that
    // receive input as events can bring the live state up to date.
    virtual void pollInput() = 0;
    // Serves the pending window events (exposes, presses, keys, focus) of
    // backends that receive them as events; the editor's idle calls it.
    // Systems that deliver them to a window procedure do nothing here.
    virtual void processEvents() = 0;
    // Takes one pending paint request of the thread's windows and serves it.
    virtual void dispatchOnePaint() = 0;

    // A visible child window of the given size in the host's parent window
    // (a native handle); null when it cannot be made. The first window of the
    // process registers the window class, later ones reuse it, and the last
    // one to go unregisters it.
    virtual std::unique_ptr<PlatformWindow> createWindow(void* parent, const Rect& size, WindowEvents& events) = 0;
    // The system's user-interface scale for a window in the given parent (the
    // primary screen's for null), 1.0 for 100 %; 0 when the system has none.
    virtual double systemScaleFactor(void* /*parent*/) { return 0.0; }
    // A bitmap resource of the module by id; null when there is none.
    virtual std::unique_ptr<PlatformImage> loadBitmap(int resourceId) = 0;
};

}  // namespace velora::gui
