// SPDX-License-Identifier: MIT
#include "gui/momentary_button.h"

namespace velora::gui {

MomentaryButton::MomentaryButton(const Rect& size, ValueListener* listener, std::int32_t tag, std::int32_t frameHeight,
                                 Bitmap* background, Point backgroundOffset)
    : Control(size, listener, tag, background), frameHeight_(frameHeight) {
    backgroundOffset_ = backgroundOffset;
}

void MomentaryButton::draw(Canvas& canvas) {
    clampValue();
    const float value = takeValueToDraw();
    if (background_) {
        const Point source{backgroundOffset_.h, backgroundOffset_.v + (value != 0.0f ? frameHeight_ : 0)};
        if (transparent_)
            background_->drawTransparent(canvas, size_, source);
        else
            background_->draw(canvas, size_, source);
    }
    markDrawn(value);
}

void MomentaryButton::mouse(Canvas& canvas, Point where) {
    if (!mouseEnabled_) return;
    const int word = buttons();
    if (!(word & kLeftButton)) return;
    if (word == kLeftButton) {
        holdWhileLeftDown(canvas, where);
    } else {
        value_.store(value_.load() == 0.0f ? 1.0f : 0.0f);
        tellListener(&canvas);
    }
    value_.store(0.0f);
    tellListener(&canvas);
}

// The listener hears of each change while held: 1 on the press and on every
// re-entry, the entry value on leaving. Whether the value differs from the
// one last drawn is no guide here: between two repaints that would tell the
// listener 1 on every poll, and listeners that step something on 1 would step
// many times for one press.
void MomentaryButton::holdWhileLeftDown(Canvas& canvas, Point where) {
    const float entry = value_.load();
    const float pressed = entry == 0.0f ? 1.0f : 0.0f;
    float told = entry;
    beginEdit();
    while (buttons() == kLeftButton) {
        const float value = size_.contains(where) ? pressed : entry;
        value_.store(value);
        if (value != told) {
            tellListener(&canvas);
            told = value;
        }
        where = pointer();
        idleDuringDrag();
    }
    endEdit();
}

}  // namespace velora::gui
