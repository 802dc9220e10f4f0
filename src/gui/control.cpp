// SPDX-License-Identifier: MIT
#include "gui/control.h"

#include <cmath>
#include <cstring>

#include "gui/frame.h"

namespace velora::gui {
namespace {

// NaN never equals itself; two NaNs still count as the same drawn state, so
// such a value is not redrawn on every idle.
bool differs(float a, float b) { return a != b && !(std::isnan(a) && std::isnan(b)); }

}  // namespace

Control::Control(const Rect& size, ValueListener* listener, std::int32_t tag, Bitmap* background)
    : View(size), listener_(listener), tag_(tag), background_(background) {}

void Control::update(Canvas& canvas) {
    // Every draw records what it drew; clearing the flag again afterwards
    // could hide a value stored during the draw.
    if (isDirty()) draw(canvas);
}

bool Control::isDirty() const { return View::isDirty() || differs(previousValue_.load(), value_.load()); }

void Control::setDirty(bool dirty) {
    View::setDirty(dirty);
    if (dirty)
        previousValue_.store(value_.load() == -1.0f ? 0.0f : -1.0f);
    else
        previousValue_.store(value_.load());
}

void Control::attached(Frame* frame) {
    View::attached(frame);
    if (frame) {
        const int time = frame->platform().doubleClickTime();
        doubleClickDelay_ = time < 250 ? 250 : time;
    }
}

float Control::inRange(float value) const {
    if (std::isnan(value) || value < minValue_) value = minValue_;
    if (value > maxValue_) value = maxValue_;
    return value;
}

void Control::clampValue() {
    const float v = value_.load();
    const float clamped = inRange(v);
    // Stored only when it changes, so that a draw on the GUI thread never
    // writes back a value another thread has just replaced.
    if (std::memcmp(&clamped, &v, sizeof v) != 0) value_.store(clamped);
}

float Control::takeValueToDraw() {
    clearDirtyFlagForDraw();
    return value_.load();
}

int Control::buttons() const { return frame_ ? frame_->buttonWord() : 0; }

Point Control::pointer() const { return frame_ ? frame_->pointerLocation() : Point{}; }

void Control::idleDuringDrag() {
    if (frame_) frame_->idleDuringDrag();
}

void Control::beginEdit() {
    if (frame_) frame_->beginEdit(tag_);
}

void Control::endEdit() {
    if (frame_) frame_->endEdit(tag_);
}

void Control::takeFrameFocus() {
    if (frame_) frame_->setFocusView(this);
}

int Control::knobMode() const { return frame_ ? frame_->knobMode() : 0; }

std::uint32_t Control::tickCount() const { return frame_ ? frame_->platform().tickCount() : 0; }

void Control::tellListenerIfChanged(Canvas* canvas, float before) {
    if (differs(before, value_.load())) tellListener(canvas);
}

void Control::moveTo(float value, Canvas* canvas) {
    const float before = value_.load();
    if (!differs(value, before)) return;
    value_.store(value);
    clampValue();
    tellListenerIfChanged(canvas, before);
}

void Control::restoreDefault(Canvas* canvas) {
    const float before = value_.load();
    value_.store(defaultValue_);
    tellListenerIfChanged(canvas, before);
}

int Control::stepByKey(const KeyCode& key) {
    float direction;
    switch (key.virt) {
    case kKeyLeft:
    case kKeyDown: direction = -1.0f; break;
    case kKeyUp:
    case kKeyRight: direction = 1.0f; break;
    default: return kKeyNotHandled;
    }
    float step = keyStep_;
    if (key.modifier & kModifierShift) step *= 0.1f;
    moveTo(value_.load() + direction * step, nullptr);
    return 1;
}

void Control::drawBackground(Canvas& canvas) const {
    if (!background_) return;
    if (transparent_)
        background_->drawTransparent(canvas, size_, backgroundOffset_);
    else
        background_->draw(canvas, size_, backgroundOffset_);
}

}  // namespace velora::gui
