// SPDX-License-Identifier: MIT
#include "gui/platform/x11/x11_window.h"
#include "core/log.h"

#include <cstdint>

#include "gui/platform/x11/changed_area.h"
#include "gui/platform/x11/x11_edit_box.h"
#include "gui/platform/x11/x11_platform_impl.h"
#include "gui/software/software_canvas.h"

namespace velora::gui::x11 {
namespace {

constexpr Colour kFace{212, 208, 200};
// X allows at most 32767; a frame asking for more than this is a mistake
// that must not cost gigabytes.
constexpr int kLargestSide = 8192;

int side(int asked) { return asked < 1 ? 1 : asked > kLargestSide ? kLargestSide : asked; }
constexpr long kFrameEvents = ExposureMask | ButtonPressMask | ButtonReleaseMask | KeyPressMask | KeyReleaseMask |
                              FocusChangeMask | StructureNotifyMask;

// Older Linux hosts run the event loop themselves and look for this
// procedure on the plug-in's window. Our windows live on our own connection,
// whose events we read in idle, so the procedure has nothing left to do.
extern "C" void velora_x11_event_procedure(XEvent*) {}

// A canvas on the window's pixels that shows what it drew when released:
// a paint pass its whole area, an idle pass only the pixels that changed.
class PresentingCanvas final : public SoftwareCanvas {
public:
    PresentingCanvas(X11Window& window, PixelImage& pixels, const Rect& area, bool wholeArea)
        : SoftwareCanvas(pixels), window_(window), area_(area), wholeArea_(wholeArea) {
        setClip(area);
    }
    ~PresentingCanvas() override {
        if (wholeArea_)
            window_.present(area_);
        else
            window_.presentChanges();
    }

private:
    X11Window& window_;
    Rect area_;
    bool wholeArea_;
};

Rect unite(const Rect& a, const Rect& b) {
    return {a.left < b.left ? a.left : b.left, a.top < b.top ? a.top : b.top, a.right > b.right ? a.right : b.right,
            a.bottom > b.bottom ? a.bottom : b.bottom};
}

}  // namespace

X11Window::X11Window(X11Platform& platform, ::Window parent, const Rect& size, WindowEvents& events)
    : platform_(platform), events_(events), screen_(side(size.width()), side(size.height()), kFace), shown_(screen_) {
    const Xlib& x = platform_.xlib();
    Display* display = platform_.display();
    const unsigned before = platform_.settledErrors();
    XWindowAttributes parentAttributes{};
    if (!x.GetWindowAttributes(display, parent, &parentAttributes)) {
        log::say("editor: the host's parent window ", std::to_string(parent), " is not a window");
        return;
    }
    if (!ImagePresenter::supports(parentAttributes.visual)) {
        log::say("editor: the host's parent window has no TrueColor visual of 16, 24 or 32 bits (depth ",
                 std::to_string(parentAttributes.depth), ")");
        return;
    }
    visual_ = parentAttributes.visual;
    depth_ = parentAttributes.depth;

    XSetWindowAttributes attributes{};
    attributes.background_pixmap = None;  // we paint every pixel ourselves
    attributes.border_pixel = 0;
    attributes.colormap = parentAttributes.colormap;
    attributes.event_mask = kFrameEvents;
    id_ = x.CreateWindow(display, parent, 0, 0, static_cast<unsigned>(screen_.width()),
                         static_cast<unsigned>(screen_.height()), 0, depth_, InputOutput, visual_,
                         CWBackPixmap | CWBorderPixel | CWColormap | CWEventMask, &attributes);
    if (id_ != 0) {
        setEventProcedure();
        x.MapWindow(display, id_);
        presenter_ = std::make_unique<ImagePresenter>(x, display, id_, visual_, depth_);
    }
    // The parent may have gone between the check and the creation.
    if (!platform_.requestsSucceeded(before)) {
        log::say("editor: the X server refused the editor's window (the parent may have gone)");
        presenter_.reset();
        if (id_ != 0 && platform_.connected()) x.DestroyWindow(display, id_);
        id_ = 0;
    }
}

X11Window::~X11Window() {
    presenter_.reset();
    if (id_ != 0 && !gone_ && platform_.connected()) {
        platform_.xlib().DestroyWindow(platform_.display(), id_);
        platform_.xlib().Sync(platform_.display(), False);
    }
    platform_.forget(this);
}

void X11Window::setEventProcedure() {
    const Xlib& x = platform_.xlib();
    Display* display = platform_.display();
    const Atom atom = x.InternAtom(display, "_XEventProc", False);
    if (atom == None) return;
    // Format 32 items are longs on the client side; a 64-bit address goes as
    // its low and high halves.
    const auto address = reinterpret_cast<std::uintptr_t>(&velora_x11_event_procedure);
    long halves[2] = {static_cast<long>(address & 0xFFFFFFFFu), static_cast<long>(std::uint64_t{address} >> 32)};
    const int count = sizeof(void*) > 4 ? 2 : 1;
    x.ChangeProperty(display, id_, atom, atom, 32, PropModeReplace, reinterpret_cast<unsigned char*>(halves), count);
}

std::unique_ptr<Canvas> X11Window::surface() {
    return std::make_unique<PresentingCanvas>(*this, screen_, screen_.bounds(), false);
}

void X11Window::invalidate(const Rect& area) {
    const Rect visible = area.clippedTo(screen_.bounds());
    if (visible.isEmpty()) return;
    pending_ = paintPending_ ? unite(pending_, visible) : visible;
    paintPending_ = true;
}

bool X11Window::servePaint() {
    if (!paintPending_) return false;
    paintPending_ = false;
    if (gone_) return true;
    PresentingCanvas canvas(*this, screen_, pending_, true);
    events_.paint(canvas, pending_);
    return true;
}

void X11Window::present(const Rect& area) {
    if (!presenter_ || gone_ || !platform_.connected()) return;
    const Rect visible = area.clippedTo(screen_.bounds());
    presenter_->present(screen_, visible);
    platform_.xlib().Flush(platform_.display());
    for (int y = visible.top; y < visible.bottom; ++y)
        for (int x = visible.left; x < visible.right; ++x) shown_.set(x, y, screen_.at(x, y));
}

void X11Window::presentChanges() {
    const Rect changed = changedArea(screen_, shown_);
    if (!changed.isEmpty()) present(changed);
}

Point X11Window::pointer() {
    if (gone_ || !platform_.connected()) return {};
    ::Window root = 0, child = 0;
    int rootX = 0, rootY = 0, x = 0, y = 0;
    unsigned mask = 0;
    if (!platform_.xlib().QueryPointer(platform_.display(), id_, &root, &child, &rootX, &rootY, &x, &y, &mask))
        return {};
    return {x, y};
}

std::unique_ptr<EditBox> X11Window::createEditBox(const EditBoxSetup& setup, EditBoxEvents& events) {
    if (editBox_ || gone_ || !platform_.connected()) return nullptr;
    auto box = std::make_unique<X11EditBox>(*this, setup, events);
    if (!box->isCreated()) return nullptr;
    return box;
}

void X11Window::lost() {
    if (gone_) return;
    gone_ = true;
    presenter_.reset();
    events_.windowDestroyed();
}

}  // namespace velora::gui::x11
