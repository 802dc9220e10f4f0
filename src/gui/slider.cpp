// SPDX-License-Identifier: MIT
#include "gui/slider.h"

#include "core/numeric.h"

namespace velora::gui {

Slider::Slider(const Rect& size, ValueListener* listener, std::int32_t tag, std::int32_t travelMin,
               std::int32_t travelMax, Bitmap* handle, Bitmap* background, Point backgroundOffset, int style)
    : Control(size, listener, tag, background), style_(style) {
    if (!(style_ & (kHorizontal | kVertical))) style_ |= size.width() >= size.height() ? kHorizontal : kVertical;
    backgroundOffset_ = backgroundOffset;
    setHandleBitmap(handle);
    travelStart_ = travelMin - (isHorizontal() ? size.left : size.top);
    travelRange_ = travelMax - travelMin;
    setHandleOffset({0, 0});
}

void Slider::setHandleOffset(Point offset) {
    handleOffset_ = offset;
    if (isHorizontal()) {
        clampLow_ = offset.h + travelStart_;
        clampHigh_ = clampLow_ + travelRange_ + handleWidth_;
    } else {
        clampLow_ = offset.v + travelStart_;
        clampHigh_ = clampLow_ + travelRange_ + handleHeight_;
    }
}

void Slider::setHandleBitmap(Bitmap* handle) {
    handle_.reset(handle);
    const bool usable = handle_ && handle_->width() > 0 && handle_->height() > 0;
    handleWidth_ = usable ? handle_->width() : 1;
    handleHeight_ = usable ? handle_->height() : 1;
}

std::int32_t Slider::handlePosition(float fraction) const {
    const float travelled = fraction * static_cast<float>(travelRange_);
    // Values far outside 0..1 put the handle far away, never past int range.
    constexpr std::int32_t kFar = 1 << 20;
    return (isHorizontal() ? handleOffset_.h : handleOffset_.v) + truncClamped(travelled, -kFar, kFar);
}

Rect Slider::drawnHandle(float value) const {
    std::int32_t start = handlePosition(drawnFraction(value));
    if (start < clampLow_) start = clampLow_;
    Rect handle;
    if (isHorizontal()) {
        handle = {start, handleOffset_.v, start + handleWidth_, handleOffset_.v + handleHeight_};
        if (handle.right > clampHigh_) handle.right = clampHigh_;
    } else {
        handle = {handleOffset_.h, start, handleOffset_.h + handleWidth_, start + handleHeight_};
        if (handle.bottom > clampHigh_) handle.bottom = clampHigh_;
    }
    return handle;
}

void Slider::draw(Canvas& canvas) {
    const float value = takeValueToDraw();
    const int width = size_.width() > 0 ? size_.width() : 0;
    const int height = size_.height() > 0 ? size_.height() : 0;
    if (!offscreen_) offscreen_ = canvas.createOffscreen(width, height);
    if (offscreen_) {
        Canvas& image = *offscreen_;
        const Rect local{0, 0, width, height};
        if (background_) {
            if (transparent_)
                background_->drawTransparent(image, local, backgroundOffset_);
            else
                background_->draw(image, local, backgroundOffset_);
        }
        const Rect handle = drawnHandle(value);
        if (handle_) {
            if (transparentHandle_)
                handle_->drawTransparent(image, handle, {0, 0});
            else
                handle_->draw(image, handle, {0, 0});
        }
        canvas.copyOffscreen(image, size_);
    }
    markDrawn(value);
}

void Slider::mouse(Canvas& canvas, Point where) {
    if (!mouseEnabled_) return;
    const int word = buttons();
    if (word == kControlLeft) {
        restoreDefault(&canvas);
        return;
    }
    if (!(word & kLeftButton)) return;

    const std::int32_t along = isHorizontal() ? where.h : where.v;
    Grip grip;
    if (!jumpToClick_) {
        // The handle is taken where it is seen, and keeps the value it has:
        // only the pointer's movement from here moves it. A value beyond the
        // range is held where the handle shows it, at the end of travel.
        const float value = value_.load();
        const Rect handle = drawnHandle(value).offset(size_.left, size_.top);
        if (!handle.contains(where)) return;
        grip = {along, inRange(value)};
    } else {
        // The handle's centre jumps to the pointer.
        const std::int32_t centre = (isHorizontal() ? handleWidth_ : handleHeight_) / 2 - 1;
        const std::int32_t edge = isHorizontal() ? size_.left + handleOffset_.h : size_.top + handleOffset_.v;
        grip = {edge + centre, reversed() ? 1.0f : 0.0f};
    }
    drag(canvas, where, grip, word);
}

float Slider::valueAt(std::int32_t along, const Grip& grip) const {
    float moved = static_cast<float>(along - grip.along) / static_cast<float>(travelRange_);
    if (reversed()) moved = -moved;
    return grip.value + moved;
}

void Slider::drag(Canvas& canvas, Point where, const Grip& grip, int pressWord) {
    beginEdit();
    takeFrameFocus();
    int oldButton = pressWord;
    float oldValue = value_.load();
    while (buttons() & kLeftButton) {
        const int word = buttons();
        if (word != oldButton && (word & kShift)) {
            oldValue = value_.load();
            oldButton = word;
        } else if (!(word & kShift)) {
            oldValue = value_.load();
        }
        // A slider without travel has no position to follow.
        if (travelRange_ != 0) {
            float value = valueAt(isHorizontal() ? where.h : where.v, grip);
            if ((word & kShift) && fineFactor_ > 0.0f) value = oldValue + (value - oldValue) / fineFactor_;
            moveTo(value, &canvas);
        }
        where = pointer();
        idleDuringDrag();
    }
    endEdit();
}

}  // namespace velora::gui
