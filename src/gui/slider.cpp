#include "gui/slider.h"

#include "core/numeric.h"

namespace velora::gui {

Slider::Slider(const Rect& size, ValueListener* listener, std::int32_t tag, std::int32_t travelMin,
               std::int32_t travelMax, Bitmap* handle, Bitmap* background, Point backgroundOffset,
               int style)
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
        value_.store(defaultValue_);
        tellListenerIfDirty(&canvas);
        return;
    }
    if (!(word & kLeftButton)) return;

    std::int32_t delta = isHorizontal() ? size_.left + handleOffset_.h : size_.top + handleOffset_.v;
    if (!jumpToClick_) {
        const std::int32_t along = handlePosition(drawnFraction(value_.load()));
        const Rect handle = isHorizontal()
            ? rectAt({size_.left + along, size_.top + handleOffset_.v}, handleWidth_, handleHeight_)
            : rectAt({size_.left + handleOffset_.h, size_.top + along}, handleWidth_, handleHeight_);
        if (!handle.contains(where)) return;
        delta += isHorizontal() ? where.h - handle.left : where.v - handle.top;
    } else {
        delta += (isHorizontal() ? handleWidth_ : handleHeight_) / 2 - 1;
    }
    drag(canvas, where, delta, word);
}

void Slider::drag(Canvas& canvas, Point where, std::int32_t delta, int pressWord) {
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
            const std::int32_t along = isHorizontal() ? where.h : where.v;
            float value = static_cast<float>(along - delta) / static_cast<float>(travelRange_);
            if (style_ & (kRight | kBottom)) value = 1.0f - value;
            if ((word & kShift) && fineFactor_ > 0.0f) value = oldValue + (value - oldValue) / fineFactor_;
            value_.store(value);
            clampValue();
            tellListenerIfDirty(&canvas);
        }
        where = pointer();
        idleDuringDrag();
    }
    endEdit();
}

}  // namespace velora::gui
