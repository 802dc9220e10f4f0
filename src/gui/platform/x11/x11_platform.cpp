// SPDX-License-Identifier: MIT
#include "gui/platform/x11/x11_platform_impl.h"

#include <X11/keysym.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <thread>

#include "core/log.h"
#include "gui/platform/x11/resource_scale.h"
#include "gui/platform/x11/x11_edit_box.h"
#include "gui/platform/x11/x11_errors.h"
#include "gui/platform/x11/x11_platform.h"
#include "gui/platform/x11/x11_window.h"
#include "gui/software/resource_pixels.h"
#include "gui/software/software_canvas.h"
#include "resources/bitmap_resource.h"

namespace velora::gui {

std::unique_ptr<Platform> createX11Platform(const char* displayName) {
    const x11::Xlib* x = x11::xlib();
    if (!x) {
        log::say("editor: cannot load libX11.so.6 or one of its functions (", x11::xlibLoadError(), ")");
        return nullptr;
    }
    // Only a look whether the server answers: the connection of the windows
    // opens with the first of them.
    Display* probe = x->OpenDisplay(displayName);
    if (!probe) {
        const char* name = displayName ? displayName : std::getenv("DISPLAY");
        log::say("editor: cannot open the X display '", name ? name : "", "'");
        return nullptr;
    }
    x->CloseDisplay(probe);
    return std::make_unique<x11::X11Platform>(*x, displayName);
}

namespace x11 {
namespace {

// Input kept for after a drag loop; beyond this it is dropped.
constexpr std::size_t kMaxDeferred = 64;
// Events served per call, so that a flood cannot hold the host's idle.
constexpr int kMaxEventsPerCall = 1000;

int wordOf(unsigned state) {
    int word = 0;
    if (state & Button1Mask) word |= kLeftButton;
    if (state & Button2Mask) word |= kMiddleButton;
    if (state & Button3Mask) word |= kRightButton;
    if (state & ShiftMask) word |= kShift;
    if (state & ControlMask) word |= kControl;
    if (state & Mod1Mask) word |= kAlt;
    return word;
}

int buttonBit(unsigned button) {
    switch (button) {
    case Button1: return kLeftButton;
    case Button2: return kMiddleButton;
    case Button3: return kRightButton;
    default: return 0;  // wheel and extra buttons
    }
}

KeyCode keyCodeOf(const Xlib& x, XKeyEvent& event) {
    char typed[8] = {};
    KeySym symbol = 0;
    const int count = x.LookupString(&event, typed, sizeof typed, &symbol, nullptr);
    KeyCode key;
    switch (symbol) {
    case XK_BackSpace: key.virt = kKeyBack; break;
    case XK_Tab: key.virt = kKeyTab; break;
    case XK_Clear: key.virt = kKeyClear; break;
    case XK_Return:
    case XK_KP_Enter: key.virt = kKeyReturn; break;
    case XK_Pause: key.virt = kKeyPause; break;
    case XK_Escape: key.virt = kKeyEscape; break;
    case XK_space: key.virt = kKeySpace; break;
    case XK_Next: key.virt = kKeyNext; break;
    case XK_End: key.virt = kKeyEnd; break;
    case XK_Home: key.virt = kKeyHome; break;
    case XK_Left:
    case XK_KP_Left: key.virt = kKeyLeft; break;
    case XK_Up:
    case XK_KP_Up: key.virt = kKeyUp; break;
    case XK_Right:
    case XK_KP_Right: key.virt = kKeyRight; break;
    case XK_Down:
    case XK_KP_Down: key.virt = kKeyDown; break;
    default:
        if (count > 0) key.character = static_cast<unsigned char>(typed[0]);
    }
    if (event.state & ShiftMask) key.modifier |= kModifierShift;
    if (event.state & Mod1Mask) key.modifier |= kModifierAlternate;
    if (event.state & ControlMask) key.modifier |= kModifierCommand;  // as Control on Windows
    return key;
}

}  // namespace

X11Platform::X11Platform(const Xlib& x, const char* displayName)
    : x_(x), displayName_(displayName ? displayName : "") {}

X11Platform::~X11Platform() { closeDisplay(); }

bool X11Platform::openDisplay() {
    if (display_ && connectionLost(display_) && windows_.empty()) closeDisplay();
    if (display_) return connected();
    display_ = x_.OpenDisplay(displayName_.empty() ? nullptr : displayName_.c_str());
    if (!display_) return false;
    if (!watchDisplay(x_, display_)) {
        x_.CloseDisplay(display_);
        display_ = nullptr;
        return false;
    }
    lostReported_ = false;
    return true;
}

void X11Platform::closeDisplay() {
    if (!display_) return;
    deferred_.clear();
    x_.CloseDisplay(display_);
    unwatchDisplay(x_, display_);
    display_ = nullptr;
}

bool X11Platform::connected() { return display_ && !connectionLost(display_); }

unsigned X11Platform::settledErrors() {
    if (connected()) x_.Sync(display_, False);
    return errorCount(display_);
}

bool X11Platform::requestsSucceeded(unsigned before) {
    if (!connected()) return false;
    x_.Sync(display_, False);
    return connected() && errorCount(display_) == before;
}

void X11Platform::forget(X11Window* window) {
    windows_.erase(std::remove(windows_.begin(), windows_.end(), window), windows_.end());
    // The connection lives as long as its windows.
    if (windows_.empty()) closeDisplay();
}

int X11Platform::buttonWord() {
    if (!connected()) return 0;  // ends any drag loop
    ::Window root = 0, child = 0;
    int rootX = 0, rootY = 0, x = 0, y = 0;
    unsigned mask = 0;
    if (!x_.QueryPointer(display_, DefaultRootWindow(display_), &root, &child, &rootX, &rootY, &x, &y, &mask)) mask = 0;
    if (!connected()) return 0;
    // A click shorter than our reaction still counts while its press is
    // being served.
    return wordOf(mask) | pressWord_;
}

std::uint32_t X11Platform::tickCount() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

void X11Platform::sleep(int milliseconds) {
    if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void X11Platform::pollInput() {
    readEvents(false);
    pressWord_ = 0;  // from now on the live state tells
}

void X11Platform::processEvents() {
    if (servingInput_) {
        // Called from inside a drag loop: only paints and window news.
        readEvents(false);
        servePaints();
        return;
    }
    servingInput_ = true;
    readEvents(true);
    servePaints();
    servingInput_ = false;
}

void X11Platform::dispatchOnePaint() {
    for (X11Window* window : windows_)
        if (window->servePaint()) return;
}

void X11Platform::servePaints() {
    // A paint can not add or remove windows, but stay safe if it does.
    for (std::size_t i = 0; i < windows_.size(); ++i) windows_[i]->servePaint();
}

void X11Platform::readEvents(bool dispatchInput) {
    if (!display_) return;
    if (dispatchInput) {
        while (!deferred_.empty() && connected()) {
            XEvent event = deferred_.front();
            deferred_.pop_front();
            serve(event, true);
        }
    }
    for (int served = 0; served < kMaxEventsPerCall && connected() && x_.Pending(display_) > 0; ++served) {
        XEvent event;
        x_.NextEvent(display_, &event);
        serve(event, dispatchInput);
    }
    if (display_ && connectionLost(display_)) noteLostConnection();
}

void X11Platform::noteLostConnection() {
    if (lostReported_) return;
    lostReported_ = true;
    log::say("editor: the connection to the X server was lost; the editor's window is gone until it is opened again");
    deferred_.clear();
    const std::vector<X11Window*> windows = windows_;
    for (X11Window* window : windows) window->lost();
}

X11Window* X11Platform::windowOf(::Window id) const {
    for (X11Window* window : windows_)
        if (window->id() == id) return window;
    return nullptr;
}

X11Window* X11Platform::windowWithEditBox(::Window id) const {
    for (X11Window* window : windows_)
        if (window->editBox() && window->editBox()->id() == id) return window;
    return nullptr;
}

void X11Platform::serve(XEvent& event, bool dispatchInput) {
    const ::Window target = event.xany.window;
    switch (event.type) {
    case Expose:
        if (X11Window* window = windowOf(target)) {
            const XExposeEvent& e = event.xexpose;
            window->invalidate({e.x, e.y, e.x + e.width, e.y + e.height});
        } else if (X11Window* owner = windowWithEditBox(target)) {
            owner->editBox()->redraw();
        }
        return;
    case DestroyNotify:
        if (X11Window* window = windowOf(event.xdestroywindow.window)) window->lost();
        return;
    case ButtonPress:
    case KeyPress:
    case KeyRelease:
    case FocusOut: break;
    default: return;  // releases, motion and the rest: the live state tells
    }
    if (!dispatchInput) {
        // A drag loop holds the GUI thread: input waits for it, as the
        // message queue does on other systems.
        if (deferred_.size() < kMaxDeferred) deferred_.push_back(event);
        return;
    }
    if (X11Window* owner = windowWithEditBox(target)) {
        X11EditBox* box = owner->editBox();
        if (event.type == KeyPress)
            box->key(event.xkey);
        else if (event.type == FocusOut)
            box->focusOut(event.xfocus);
        else if (event.type == ButtonPress && event.xbutton.button == Button1)
            box->press({event.xbutton.x, event.xbutton.y});
        return;
    }
    X11Window* window = windowOf(target);
    if (!window || window->isGone()) return;
    if (event.type == ButtonPress) {
        servePress(*window, event.xbutton);
    } else if (event.type == KeyPress || event.type == KeyRelease) {
        window->events().key(keyCodeOf(x_, event.xkey), event.type == KeyPress);
    }
}

void X11Platform::servePress(X11Window& window, const XButtonEvent& press) {
    const int button = buttonBit(press.button);
    if (button == 0) return;
    const ::Window id = window.id();
    pressWord_ = wordOf(press.state) | button;
    {
        SoftwareCanvas canvas(window.pixels());
        window.events().buttonDown(canvas, {press.x, press.y});
    }
    // Shown only while the window is still there.
    if (X11Window* still = windowOf(id)) still->presentChanges();
    pressWord_ = 0;
}

std::unique_ptr<PlatformWindow> X11Platform::createWindow(void* parent, const Rect& size, WindowEvents& events) {
    if (!parent || !openDisplay()) return nullptr;
    const auto parentId = static_cast<::Window>(reinterpret_cast<std::uintptr_t>(parent));
    auto window = std::make_unique<X11Window>(*this, parentId, size, events);
    windows_.push_back(window.get());
    if (!window->isCreated()) return nullptr;  // its destructor forgets it again
    return window;
}

double X11Platform::systemScaleFactor(void*) {
    const bool wasOpen = display_ != nullptr;
    if (!openDisplay()) return scaleFromResources(nullptr, std::getenv("GDK_SCALE"));
    const double factor = scaleFromResources(x_.ResourceManagerString(display_), std::getenv("GDK_SCALE"));
    if (!wasOpen && windows_.empty()) closeDisplay();  // a size asked for before any window
    return factor;
}

std::unique_ptr<PlatformImage> X11Platform::loadBitmap(int resourceId) {
    const resources::BitmapResource* resource = resources::findBitmapResource(resourceId);
    if (!resource) return nullptr;
    return std::make_unique<SoftwareImage>(pixelsOf(*resource));
}

}  // namespace x11
}  // namespace velora::gui
