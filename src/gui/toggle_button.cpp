// SPDX-License-Identifier: MIT
#include "gui/toggle_button.h"

#include "core/numeric.h"

namespace velora::gui {

ToggleButton::ToggleButton(const Rect& size, ValueListener* listener, std::int32_t tag, Bitmap* background)
    : Control(size, listener, tag, background) {}

void ToggleButton::draw(Canvas& canvas) {
    const float value = takeValueToDraw();
    if (background_) {
        const Point source{0, value != 0.0f ? background_->height() / 2 : 0};
        if (transparent_)
            background_->drawTransparent(canvas, size_, source);
        else
            background_->draw(canvas, size_, source);
    }
    markDrawn(value);
}

void ToggleButton::mouse(Canvas& canvas, Point) {
    if (!mouseEnabled_ || !(buttons() & kLeftButton)) return;
    value_.store(truncToInt(value_.load()) == 0 ? 1.0f : 0.0f);
    idleDuringDrag();
    tellListener(&canvas);
}

}  // namespace velora::gui
