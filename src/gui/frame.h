// SPDX-License-Identifier: MIT
#pragma once
// The root of the view tree: the native child window in the host's editor
// window, the background bitmap and the ordered views it owns. It turns the
// window's paints, presses and keys into calls on the views and repaints the
// dirty ones when the editor idles.
#include <cstdint>
#include <memory>
#include <vector>

#include "gui/bitmap.h"
#include "gui/platform/platform.h"
#include "gui/view.h"

namespace velora::gui {

// The editor behind a frame: where edit brackets, drag idling and the knob
// mode come from.
class FrameOwner {
public:
    virtual ~FrameOwner() = default;
    virtual void beginEdit(std::int32_t tag) = 0;
    virtual void endEdit(std::int32_t tag) = 0;
    virtual void idleDuringDrag() = 0;
    virtual int knobMode() const = 0;
    // A press that no view took (the bare panel).
    virtual void pressedOutsideViews(Canvas&, Point) {}
};

class Frame : public View, private WindowEvents {
public:
    // Creates the window at once; isOpen() tells whether that worked.
    Frame(const Rect& size, void* parentWindow, FrameOwner* owner, Platform& platform);
    ~Frame() override;

    bool isOpen() const { return open_; }
    bool firstPaintPending() const { return firstPaintPending_; }
    Platform& platform() const { return platform_; }
    PlatformWindow* window() const { return window_.get(); }
    void* parentWindow() const { return parentWindow_; }

    void setBackground(Bitmap* background) { background_.reset(background); }
    Bitmap* getBackground() const { return background_.get(); }
    // Takes ownership; the views keep their order of addition.
    void addView(View* view);
    int viewCount() const { return static_cast<int>(views_.size()); }
    View* viewAt(int index) const;

    // The old focus view, if another, loses the focus.
    void setFocusView(View* view);
    View* getFocusView() const { return focusView_; }
    // Forgets the focus view without telling it (it is giving the focus up).
    void releaseFocus(View* view) {
        if (focusView_ == view) focusView_ = nullptr;
    }
    void setModalView(View* view) { modalView_ = view; }
    View* getModalView() const { return modalView_; }

    void draw(Canvas& canvas) override;
    void drawRect(Canvas& canvas, const Rect& area) override;
    void mouse(Canvas& canvas, Point where) override;
    int onKeyDown(const KeyCode& key) override;
    int onKeyUp(const KeyCode& key) override;
    bool onDrop(const char* const* items, int count, int kind, Point where) override;
    // Repaints what is dirty, once the window has been painted.
    void idle();

    void beginEdit(std::int32_t tag);
    void endEdit(std::int32_t tag);
    // The end of each round of a drag loop.
    void idleDuringDrag();
    int knobMode() const { return owner_ ? owner_->knobMode() : 0; }
    int buttonWord() const { return platform_.buttonWord(); }
    // The pointer in frame coordinates, after the platform's input is polled.
    Point pointerLocation() const;

private:
    // What the window reports.
    void paint(Canvas& canvas, const Rect& area) override { drawRect(canvas, area); }
    void buttonDown(Canvas& canvas, Point where) override { mouse(canvas, where); }
    int key(const KeyCode& key, bool down) override { return down ? onKeyDown(key) : onKeyUp(key); }
    bool drop(const char* const* items, int count, int kind, Point where) override {
        return onDrop(items, count, kind, where);
    }
    void windowDestroyed() override;

    bool anyViewDirty() const;
    template <typename Offer>
    int offerKey(Offer offer);

    Platform& platform_;
    FrameOwner* owner_;
    void* parentWindow_;
    BitmapRef background_;
    std::vector<std::unique_ptr<View>> views_;
    View* modalView_ = nullptr;
    View* focusView_ = nullptr;
    bool firstPaintPending_ = true;
    bool open_ = false;
    std::unique_ptr<PlatformWindow> window_;
};

}  // namespace velora::gui
