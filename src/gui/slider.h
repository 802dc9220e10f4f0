// SPDX-License-Identifier: MIT
#pragma once
// A handle bitmap that travels over a background along one axis. The
// control is composed off screen and copied once, so the handle never
// flickers.
#include <memory>

#include "gui/control.h"

namespace velora::gui {

class Slider : public Control {
public:
    enum Style : int {
        kHorizontal = 1,
        kVertical = 2,
        kLeft = 8,     // value 0 at the left
        kRight = 16,   // value 0 at the right
        kTop = 32,     // value 0 at the top
        kBottom = 64,  // value 0 at the bottom
    };

    // `travelMin` and `travelMax` are the handle's travel limits in frame
    // coordinates. A style without an axis gets the one the rectangle is
    // longer in.
    Slider(const Rect& size, ValueListener* listener, std::int32_t tag, std::int32_t travelMin, std::int32_t travelMax,
           Bitmap* handle, Bitmap* background, Point backgroundOffset, int style);

    void draw(Canvas& canvas) override;
    void mouse(Canvas& canvas, Point where) override;
    int onKeyDown(const KeyCode& key) override { return stepByKey(key); }
    void setRect(const Rect& size) override {
        Control::setRect(size);
        offscreen_.reset();
    }

    virtual void setTransparentHandle(bool transparent) { transparentHandle_ = transparent; }
    virtual void setJumpToClick(bool jump) { jumpToClick_ = jump; }
    virtual bool getJumpToClick() const { return jumpToClick_; }
    virtual void setHandleOffset(Point offset);
    virtual void setHandleBitmap(Bitmap* handle);
    virtual Bitmap* getHandleBitmap() const { return handle_.get(); }
    virtual void setFineFactor(float factor) { fineFactor_ = factor; }
    virtual float getFineFactor() const { return fineFactor_; }

    int style() const { return style_; }
    bool isHorizontal() const { return (style_ & kHorizontal) != 0; }

private:
    // The handle's position along the axis for a drawn fraction, before the
    // clamp: handleOffset + trunc(f * travelRange).
    std::int32_t handlePosition(float fraction) const;
    float drawnFraction(float value) const { return (style_ & (kLeft | kTop)) ? value : 1.0f - value; }
    // Value 0 at the right or bottom: the value grows against the axis.
    bool reversed() const { return (style_ & (kRight | kBottom)) != 0; }
    // The handle as drawn for a value, in the control's own coordinates:
    // raised to the start of travel and cut at its end.
    Rect drawnHandle(float value) const;

    // Where a drag holds the slider: the pointer coordinate along the axis
    // that stands for `value`.
    struct Grip {
        std::int32_t along = 0;
        float value = 0.0f;
    };
    float valueAt(std::int32_t along, const Grip& grip) const;
    void drag(Canvas& canvas, Point where, const Grip& grip, int pressWord);

    Point handleOffset_;
    BitmapRef handle_;
    std::unique_ptr<Canvas> offscreen_;
    int style_;
    bool transparentHandle_ = true;
    bool jumpToClick_ = true;
    std::int32_t handleWidth_ = 1;
    std::int32_t handleHeight_ = 1;
    std::int32_t travelStart_;
    std::int32_t travelRange_;
    std::int32_t clampLow_ = 0;
    std::int32_t clampHigh_ = 0;
    float fineFactor_ = 10.0f;
};

}  // namespace velora::gui
