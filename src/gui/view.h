// SPDX-License-Identifier: MIT
#pragma once
// The base of everything a frame shows: a rectangle in frame coordinates that
// draws itself, may take the mouse, keys and the focus, and remembers whether
// it needs drawing.
#include <atomic>

#include "gui/canvas.h"
#include "gui/geometry.h"
#include "gui/input.h"

namespace velora::gui {

class Frame;

class View {
public:
    explicit View(const Rect& size);
    virtual ~View() = default;
    View(const View&) = delete;
    View& operator=(const View&) = delete;

    virtual void draw(Canvas&) {}
    virtual void drawRect(Canvas& canvas, const Rect&) { draw(canvas); }
    virtual bool intersects(const Rect& area) const { return size_.intersects(area); }
    virtual void mouse(Canvas&, Point) {}
    // Draws the view when it is dirty.
    virtual void update(Canvas& canvas);
    virtual int notify(View* sender, const char* message);
    virtual int onKeyDown(const KeyCode&) { return kKeyNotHandled; }
    virtual int onKeyUp(const KeyCode&) { return kKeyNotHandled; }
    // Files (kind 0) or text (kind 1) dropped on the view; true when taken.
    virtual bool onDrop(const char* const* items, int count, int kind, Point where);
    virtual bool onWheel(Point where, float distance);
    virtual void loseFocus() {}
    virtual void takeFocus() {}
    // True while the view, as the focus view, owns every key (a text being
    // typed): keys it declines go to nobody else.
    virtual bool holdsKeys() const { return false; }
    // Any thread may ask and mark; the GUI thread draws.
    virtual bool isDirty() const { return dirty_.load(std::memory_order_relaxed); }
    virtual void setDirty(bool dirty = true) { dirty_.store(dirty, std::memory_order_relaxed); }
    virtual void setMouseEnabled(bool enabled) { mouseEnabled_ = enabled; }
    virtual bool getMouseEnabled() const { return mouseEnabled_; }
    virtual void setTransparency(bool transparent) { transparent_ = transparent; }
    virtual bool getTransparency() const { return transparent_; }
    virtual void setRect(const Rect& size) {
        size_ = size;
        mouseArea_ = size;
    }

    // The frame calls this when it takes the view into its list.
    virtual void attached(Frame* frame) { frame_ = frame; }

    const Rect& rect() const { return size_; }
    const Rect& mouseArea() const { return mouseArea_; }
    void setMouseArea(const Rect& area) { mouseArea_ = area; }
    Frame* frame() const { return frame_; }
    View* parentView() const { return parentView_; }

protected:
    // Clears the dirty flag for a draw that is about to read the view's
    // state: a mark made from another thread during the draw stays set.
    void clearDirtyFlagForDraw() { dirty_.exchange(false, std::memory_order_acq_rel); }

    Rect size_;
    Rect mouseArea_;
    Frame* frame_ = nullptr;
    View* parentView_ = nullptr;
    std::atomic<bool> dirty_{false};
    bool mouseEnabled_ = true;
    bool transparent_ = false;
};

}  // namespace velora::gui
