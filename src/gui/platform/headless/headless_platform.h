// SPDX-License-Identifier: MIT
#pragma once
// A window system in memory for tests and pictures: a scripted pointer and
// button word, a clock that moves only when told or slept on, child windows
// whose surfaces are pixel images, and edit boxes that hold their text.
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "gui/platform/platform.h"
#include "gui/software/pixel_image.h"

namespace velora::gui {

class HeadlessPlatform;
class HeadlessWindow;

class HeadlessEditBox : public EditBox {
public:
    HeadlessEditBox(HeadlessWindow& window, const EditBoxSetup& setup, EditBoxEvents& events);
    ~HeadlessEditBox() override;

    std::string text() const override { return text_; }
    const EditBoxSetup& setup() const { return setup_; }
    bool hasKeyboardFocus() const { return focused_; }

    // The user types: the selection (all of the text when the box opened)
    // is replaced, at most the box's limit of characters stays.
    void type(const std::string& typed);
    // Each of these may end the edit and so destroy this box.
    void pressReturn();
    void loseKeyboardFocus();

private:
    HeadlessWindow& window_;
    EditBoxSetup setup_;
    EditBoxEvents& events_;
    std::string text_;
    bool allSelected_ = true;
    bool focused_ = true;
};

class HeadlessWindow : public PlatformWindow {
public:
    HeadlessWindow(HeadlessPlatform& platform, void* parent, const Rect& size, WindowEvents& events);
    ~HeadlessWindow() override;

    std::unique_ptr<Canvas> surface() override;
    void invalidate(const Rect& area) override;
    Point pointer() override;
    std::unique_ptr<EditBox> createEditBox(const EditBoxSetup& setup, EditBoxEvents& events) override;

    // What the window shows.
    const PixelImage& screen() const { return screen_; }
    void* parent() const { return parent_; }
    // Serves the pending paint request, if any; true when one was served.
    bool servePaint();
    // A paint of the whole window, as when it is first shown.
    void exposeAll();
    // A press of the scripted buttons at a point: an open edit box takes
    // presses inside it, the frame all others.
    void press(Point where, int buttons);
    void key(const KeyCode& key, bool down) { events_.key(key, down); }
    bool drop(const std::vector<std::string>& items, int kind, Point where);
    // The system destroys the window under the frame.
    void destroyBySystem() { events_.windowDestroyed(); }
    HeadlessEditBox* editBox() const { return editBox_; }

private:
    friend class HeadlessEditBox;
    void paintArea(const Rect& area);

    HeadlessPlatform& platform_;
    void* parent_;
    WindowEvents& events_;
    PixelImage screen_;
    Rect pending_;
    bool paintPending_ = false;
    HeadlessEditBox* editBox_ = nullptr;
};

class HeadlessPlatform : public Platform {
public:
    struct InputState {
        Point pointer;
        int buttons = 0;
    };

    HeadlessPlatform();
    ~HeadlessPlatform() override;

    // Live input.
    void setInput(InputState state) { live_ = state; }
    InputState input() const { return live_; }
    // States taken one per pointer read of a drag loop (one per round); when
    // they run out, the buttons go up.
    void scriptDrag(std::vector<InputState> rounds);
    std::size_t scriptedRoundsLeft() const { return script_.size(); }
    int polls() const { return polls_; }

    void advanceClock(std::uint32_t milliseconds) { now_ += milliseconds; }
    // The system's user-interface scale the editor finds (0: none set).
    void setSystemScale(double factor) { systemScale_ = factor; }

    // Bitmap resources the module would hold.
    void addBitmap(int resourceId, PixelImage pixels) { bitmaps_[resourceId] = std::move(pixels); }
    int liveImages() const { return *liveImages_; }

    int windowClassRegistrations() const { return registrations_; }
    const std::string& windowClassName() const { return className_; }
    HeadlessWindow* lastWindow() const { return windows_.empty() ? nullptr : windows_.back(); }

    int buttonWord() override { return live_.buttons; }
    std::uint32_t tickCount() override { return now_; }
    void sleep(int milliseconds) override {
        if (milliseconds > 0) now_ += static_cast<std::uint32_t>(milliseconds);
    }
    int doubleClickTime() override { return 400; }
    void pollInput() override;
    void processEvents() override {}  // tests deliver events through the windows
    void dispatchOnePaint() override;
    std::unique_ptr<PlatformWindow> createWindow(void* parent, const Rect& size, WindowEvents& events) override;
    std::unique_ptr<PlatformImage> loadBitmap(int resourceId) override;
    double systemScaleFactor(void*) override { return systemScale_; }

private:
    friend class HeadlessWindow;
    void forget(HeadlessWindow* window);

    InputState live_;
    std::deque<InputState> script_;
    int polls_ = 0;
    std::uint32_t now_ = 1000;
    double systemScale_ = 0.0;
    std::map<int, PixelImage> bitmaps_;
    std::shared_ptr<int> liveImages_ = std::make_shared<int>(0);
    int registrations_ = 0;
    std::string className_;
    std::vector<HeadlessWindow*> windows_;
};

}  // namespace velora::gui
