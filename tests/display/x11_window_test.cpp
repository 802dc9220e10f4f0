// SPDX-License-Identifier: MIT
// The X11 window system against an Xvfb of the test's own, driven by
// xdotool as a user would drive it.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "gui/frame.h"
#include "gui/knob.h"
#include "gui/platform/headless/headless_platform.h"
#include "gui/platform/x11/x11_platform.h"
#include "gui/platform/x11/xlib_library.h"
#include "gui/slider.h"
#include "gui/text_field.h"
#include "gui/toggle_button.h"
#include "x_server.h"

namespace velora::gui::test {
namespace {

XServer*& server = XServerEnvironment::server;
[[maybe_unused]] const auto* const environment = ::testing::AddGlobalTestEnvironment(new XServerEnvironment(false));

constexpr Rect kFrameRect{0, 0, 384, 410};
constexpr Rect kSliderRect{20, 40, 43, 122};
constexpr Rect kToggleRect{60, 40, 75, 47};
constexpr Rect kKnobRect{100, 40, 121, 61};
constexpr Rect kFieldRect{150, 300, 300, 316};

struct Controls {
    Slider* slider;
    ToggleButton* toggle;
    Knob* knob;
    TextField* field;
};

Controls populate(Frame& frame, Platform& bitmaps, ValueListener& listener) {
    auto load = [&](int id) { return Bitmap::load(bitmaps, id); };
    Bitmap* panel = load(10001);
    Bitmap* handle = load(10002);
    Bitmap* track = load(10003);
    Bitmap* face = load(10030);
    frame.setBackground(panel);
    Controls c;
    c.slider = new Slider(kSliderRect, &listener, 1, 40, 108, handle, track, {0, 0}, Slider::kVertical | Slider::kTop);
    c.toggle = new ToggleButton(kToggleRect, &listener, 2, handle);
    c.knob = new Knob(kKnobRect, &listener, 3, face, nullptr, {0, 0});
    c.field = new TextField(kFieldRect, &listener, 4, "Velora", nullptr, 0);
    for (View* view : std::initializer_list<View*>{c.slider, c.toggle, c.knob, c.field}) frame.addView(view);
    for (Bitmap* bitmap : {panel, handle, track, face}) bitmap->release();
    c.slider->setValue(0.3f);
    c.knob->setValue(0.6f);
    return c;
}

struct Owner : FrameOwner {
    Platform* platform = nullptr;
    Frame* frame = nullptr;
    int begins = 0;
    int ends = 0;
    void beginEdit(std::int32_t) override { ++begins; }
    void endEdit(std::int32_t) override { ++ends; }
    // What the editor does between two rounds of a drag loop.
    void idleDuringDrag() override {
        platform->sleep(4);
        platform->processEvents();
        frame->idle();
    }
    int knobMode() const override { return 0; }
};

struct Listener : ValueListener {
    std::vector<std::string> texts;
    void valueChanged(Canvas*, Control* control) override {
        if (auto* field = dynamic_cast<TextField*>(control)) texts.push_back(field->text());
    }
};

}  // namespace
}  // namespace velora::gui::test

// Xlib's macros stay out of the toolkit's headers above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace velora::gui::test {
namespace {

// A top-level window on a connection of its own, as a host makes one.
struct HostWindow {
    explicit HostWindow(const std::string& name, int depth = 24) {
        display = XOpenDisplay(name.c_str());
        if (!display) return;
        const int screen = DefaultScreen(display);
        XVisualInfo info{};
        if (!XMatchVisualInfo(display, screen, depth, TrueColor, &info)) return;
        XSetWindowAttributes attributes{};
        attributes.colormap = XCreateColormap(display, RootWindow(display, screen), info.visual, AllocNone);
        id = XCreateWindow(display, RootWindow(display, screen), 0, 0, 384, 410, 0, depth, InputOutput, info.visual,
                           CWColormap | CWBorderPixel | CWBackPixel, &attributes);
        XMapWindow(display, id);
        XSync(display, False);
    }
    ~HostWindow() {
        if (display) XCloseDisplay(display);
    }
    void* handle() const { return reinterpret_cast<void*>(static_cast<std::uintptr_t>(id)); }
    std::vector<Window> children() const {
        Window root = 0, parent = 0, *list = nullptr;
        unsigned count = 0;
        std::vector<Window> result;
        if (XQueryTree(display, id, &root, &parent, &list, &count)) result.assign(list, list + count);
        if (list) XFree(list);
        return result;
    }

    Display* display = nullptr;
    Window id = 0;
};

template <typename Done>
bool pump(Platform& platform, Frame& frame, Done done, int milliseconds = 3000) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;) {
        platform.processEvents();
        frame.idle();
        if (done()) return true;
        if (std::chrono::steady_clock::now() > until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

class X11FrameTest : public ::testing::Test {
protected:
    void open(int depth = 24) {
        host = std::make_unique<HostWindow>(server->name(), depth);
        ASSERT_NE(host->id, 0u) << "no " << depth << "-bit TrueColor visual";
        platform = createX11Platform(server->name().c_str());
        ASSERT_TRUE(platform);
        frame = std::make_unique<Frame>(kFrameRect, host->handle(), &owner, *platform);
        ASSERT_TRUE(frame->isOpen());
        controls = populate(*frame, *platform, listener);
        owner.platform = platform.get();
        owner.frame = frame.get();
        ASSERT_TRUE(
            pump(*platform, *frame, [&] { return !frame->firstPaintPending() && !controls.slider->isDirty(); }));
    }
    void close() {
        frame.reset();
        platform.reset();
        host.reset();
    }
    void TearDown() override { close(); }

    std::string child() const {
        const auto windows = host->children();
        return windows.empty() ? "0" : std::to_string(windows.front());
    }
    std::string at(Point p) const {
        return "mousemove --window " + child() + " " + std::to_string(p.h) + " " + std::to_string(p.v);
    }
    bool run(const std::string& args) { return xdotool(server->name(), args); }

    std::unique_ptr<HostWindow> host;
    std::unique_ptr<Platform> platform;
    std::unique_ptr<Frame> frame;
    Owner owner;
    Listener listener;
    Controls controls{};
};

TEST_F(X11FrameTest, WindowShowsTheSoftwareCanvasPixelsExactlyAt24And32Bits) {
    for (int depth : {24, 32}) {
        SCOPED_TRACE(depth);
        open(depth);
        if (HasFatalFailure()) return;  // no window to test
        // A change after the first paint reaches the server through idle.
        controls.knob->setValue(0.25f);
        ASSERT_TRUE(pump(*platform, *frame, [&] { return !controls.knob->isDirty(); }));
        HeadlessPlatform headless;
        Owner twinOwner;
        Listener twinListener;
        int twinParent = 0;
        Frame twin(kFrameRect, &twinParent, &twinOwner, headless);
        populate(twin, *platform, twinListener).knob->setValue(0.25f);
        headless.lastWindow()->exposeAll();
        const PixelImage& expected = headless.lastWindow()->screen();

        const Window shown = host->children().at(0);
        XWindowAttributes attributes{};
        ASSERT_TRUE(XGetWindowAttributes(host->display, shown, &attributes));
        EXPECT_EQ(attributes.depth, depth);
        XImage* image = XGetImage(host->display, shown, 0, 0, 384, 410, AllPlanes, ZPixmap);
        ASSERT_NE(image, nullptr);
        const Visual* visual = attributes.visual;
        int wrong = 0;
        for (int y = 0; y < 410; ++y)
            for (int x = 0; x < 384; ++x) {
                const unsigned long pixel = XGetPixel(image, x, y);
                const Colour c = expected.at(x, y);
                wrong += ((pixel & visual->red_mask) >> 16) != c.red ||
                         ((pixel & visual->green_mask) >> 8) != c.green || (pixel & visual->blue_mask) != c.blue;
            }
        XDestroyImage(image);
        EXPECT_EQ(wrong, 0);
        close();
    }
}

TEST_F(X11FrameTest, ClicksAndDragsMoveControlsThroughTheLiveButtonState) {
    open();
    if (HasFatalFailure()) return;  // no window to test
    // Clicks faster than the frame's idle still reach the control.
    ASSERT_TRUE(run(at({67, 43}) + " click 1"));
    EXPECT_TRUE(pump(*platform, *frame, [&] { return controls.toggle->getValue() == 1.0f; }));

    ASSERT_TRUE(run(at({31, 60}) + " keydown ctrl click 1 keyup ctrl"));
    EXPECT_TRUE(pump(*platform, *frame, [&] { return controls.slider->getValue() == 0.5f; }));

    // Keys that reach the frame's window go to the last view that takes them.
    XSetInputFocus(host->display, std::stoul(child()), RevertToParent, CurrentTime);
    XSync(host->display, False);
    ASSERT_TRUE(run("key Up"));
    EXPECT_TRUE(pump(*platform, *frame, [&] { return controls.knob->getValue() > 0.65f; }));
    EXPECT_FLOAT_EQ(controls.knob->getValue(), 0.7f);

    // The drag loop runs inside the served press while xdotool moves on.
    const int begins = owner.begins;
    const pid_t drag = xdotoolInBackground(server->name(), at({31, 50}) + " mousedown 1 sleep 0.3 " + at({31, 90}) +
                                                               " sleep 0.3 " + at({31, 74}) + " sleep 0.3 mouseup 1");
    EXPECT_TRUE(pump(
        *platform, *frame, [&] { return finished(drag) && owner.ends > begins; }, 5000));
    // The handle's centre follows the pointer: (74 - (40 + 6)) / 68.
    EXPECT_EQ(controls.slider->getValue(), 28.0f / 68.0f);
    EXPECT_EQ(owner.begins, begins + 1);
}

TEST_F(X11FrameTest, EditBoxTakesTypingEditingKeysReturnAndFocusLoss) {
    open();
    if (HasFatalFailure()) return;  // no window to test
    ASSERT_TRUE(run(at({200, 308}) + " click 1"));
    ASSERT_TRUE(pump(*platform, *frame, [&] { return controls.field->isEditing(); }));
    // Typing replaces the text selected on opening.
    ASSERT_TRUE(run("type --delay 20 12"));
    ASSERT_TRUE(run("key BackSpace type 3"));
    ASSERT_TRUE(run("key Home type -"));
    ASSERT_TRUE(run("key Right Delete End type 9"));
    ASSERT_TRUE(run("key Return"));
    ASSERT_TRUE(pump(*platform, *frame, [&] { return !controls.field->isEditing(); }));
    EXPECT_TRUE(controls.field->closedByReturn());
    EXPECT_EQ(listener.texts, std::vector<std::string>{"-19"});

    ASSERT_TRUE(run(at({200, 308}) + " click 1"));
    ASSERT_TRUE(pump(*platform, *frame, [&] { return controls.field->isEditing(); }));
    ASSERT_TRUE(run("type 7"));
    // The host takes the keyboard back.
    XSetInputFocus(host->display, host->id, RevertToParent, CurrentTime);
    XSync(host->display, False);
    ASSERT_TRUE(pump(*platform, *frame, [&] { return !controls.field->isEditing(); }));
    EXPECT_FALSE(controls.field->closedByReturn());
    EXPECT_EQ(controls.field->text(), "7");
}

TEST_F(X11FrameTest, OpeningAndClosingTwentyTimesLeavesNoWindowAndFramesCoexist) {
    open();
    if (HasFatalFailure()) return;  // no window to test
    for (int round = 0; round < 20; ++round) {
        Owner other;
        Listener otherListener;
        auto second = createX11Platform(server->name().c_str());
        ASSERT_TRUE(second);
        Frame frameTwo(kFrameRect, host->handle(), &other, *second);
        Frame frameThree(kFrameRect, host->handle(), &other, *platform);
        ASSERT_TRUE(frameTwo.isOpen() && frameThree.isOpen());
        populate(frameTwo, *second, otherListener);
        EXPECT_EQ(host->children().size(), 3u);
        EXPECT_TRUE(pump(*second, frameTwo, [&] { return !frameTwo.firstPaintPending(); }));
        EXPECT_TRUE(pump(*platform, frameThree, [&] { return !frameThree.firstPaintPending(); }));
    }
    XSync(host->display, False);
    EXPECT_EQ(host->children().size(), 1u);  // the fixture's own frame
    frame.reset();
    XSync(host->display, False);
    EXPECT_TRUE(host->children().empty());
}

TEST_F(X11FrameTest, BadParentsAndMissingServersGiveNoWindowAndNoCrash) {
    open();
    if (HasFatalFailure()) return;  // no window to test
    Owner other;
    HostWindow gone(server->name());
    XDestroyWindow(gone.display, gone.id);
    XSync(gone.display, False);
    for (void* parent : {static_cast<void*>(nullptr), reinterpret_cast<void*>(std::uintptr_t{0x7ffff0}), gone.handle(),
                         reinterpret_cast<void*>(~std::uintptr_t{0})}) {
        Frame bad(kFrameRect, parent, &other, *platform);
        EXPECT_FALSE(bad.isOpen());
        bad.idle();
    }
    EXPECT_EQ(createX11Platform(":999"), nullptr);
    x11::Xlib none;
    EXPECT_FALSE(x11::loadXlib("libvelora-no-such-x11.so.6", none));

    // The host destroys the parent under an open frame.
    XDestroyWindow(host->display, host->id);
    XSync(host->display, False);
    EXPECT_TRUE(pump(*platform, *frame, [&] { return !frame->isOpen(); }));
    EXPECT_EQ(frame->pointerLocation(), (Point{0, 0}));
}

TEST_F(X11FrameTest, ServerThatGoesAwayEndsTheFrameWithoutEndingTheProcess) {
    XServer doomed;
    ASSERT_TRUE(doomed.start());
    HostWindow parent(doomed.name());
    auto lost = createX11Platform(doomed.name().c_str());
    ASSERT_TRUE(lost);
    Owner other;
    Listener otherListener;
    auto doomedFrame = std::make_unique<Frame>(kFrameRect, parent.handle(), &other, *lost);
    ASSERT_TRUE(doomedFrame->isOpen());
    other.platform = lost.get();
    other.frame = doomedFrame.get();
    populate(*doomedFrame, *lost, otherListener);
    ASSERT_TRUE(pump(*lost, *doomedFrame, [&] { return !doomedFrame->firstPaintPending(); }));
    // The host's connection goes first (its window stays), then the server.
    XSetCloseDownMode(parent.display, RetainPermanent);
    XCloseDisplay(parent.display);
    parent.display = nullptr;
    doomed.kill();
    EXPECT_TRUE(pump(*lost, *doomedFrame, [&] { return !doomedFrame->isOpen(); }));
    EXPECT_EQ(lost->buttonWord(), 0);
    doomedFrame.reset();
    // The next window needs a server again.
    Frame again(kFrameRect, parent.handle(), &other, *lost);
    EXPECT_FALSE(again.isOpen());
}

}  // namespace
}  // namespace velora::gui::test
