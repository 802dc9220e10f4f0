// SPDX-License-Identifier: MIT
#pragma once
// A view with a value in minValue..maxValue that reports changes to its
// listener.
//
// Dirty rule: a control needs drawing when its value differs from the value
// it was last drawn with (previousValue) or its dirty flag is set. The value,
// previousValue and the flag may be written from any thread; drawing happens
// on the GUI thread, which draws from one snapshot of the value and records
// exactly that snapshot as drawn, so a value stored meanwhile is drawn on the
// next idle.
#include <cstdint>

#include "core/relaxed.h"
#include "gui/bitmap.h"
#include "gui/view.h"

namespace velora::gui {

class Control;

class ValueListener {
public:
    virtual ~ValueListener() = default;
    // `canvas` is null where no surface is at hand (keys, a finished edit).
    virtual void valueChanged(Canvas* canvas, Control* control) = 0;
};

class Control : public View {
public:
    Control(const Rect& size, ValueListener* listener, std::int32_t tag, Bitmap* background = nullptr);

    void update(Canvas& canvas) override;
    bool isDirty() const override;
    void setDirty(bool dirty = true) override;
    void attached(Frame* frame) override;

    // Any thread: stores the value only.
    virtual void setValue(float value) { value_.store(value); }
    virtual float getValue() const { return value_.load(); }
    virtual void setMin(float value) { minValue_ = value; }
    virtual float getMin() const { return minValue_; }
    virtual void setMax(float value) { maxValue_ = value; }
    virtual float getMax() const { return maxValue_; }
    virtual void setPreviousValue(float value) { previousValue_.store(value); }
    virtual float getPreviousValue() const { return previousValue_.load(); }
    virtual void setDefaultValue(float value) { defaultValue_ = value; }
    virtual float getDefaultValue() const { return defaultValue_; }
    virtual void setTag(std::int32_t tag) { tag_ = tag; }
    std::int32_t getTag() const { return tag_; }
    virtual void setBackground(Bitmap* background) { background_.reset(background); }
    virtual Bitmap* getBackground() const { return background_.get(); }
    virtual void setBackgroundOffset(Point offset) { backgroundOffset_ = offset; }
    Point getBackgroundOffset() const { return backgroundOffset_; }
    // The offset becomes the control's own top-left.
    virtual void copyBackgroundOffset() { backgroundOffset_ = size_.topLeft(); }
    virtual void setKeyStep(float step) { keyStep_ = step; }
    virtual float getKeyStep() const { return keyStep_; }
    // Brings the value into minValue..maxValue; NaN becomes minValue.
    virtual void clampValue();
    float inRange(float value) const;

    ValueListener* listener() const { return listener_; }
    int doubleClickDelay() const { return doubleClickDelay_; }

protected:
    // Start and end of a draw: the value to draw, taken once, and the record
    // that exactly this value is on screen.
    float takeValueToDraw();
    void markDrawn(float drawn) { previousValue_.store(drawn); }

    // Helpers of the mouse loops; without a frame the buttons read as up.
    int buttons() const;
    Point pointer() const;
    void idleDuringDrag();
    void beginEdit();
    void endEdit();
    void takeFrameFocus();
    int knobMode() const;
    std::uint32_t tickCount() const;
    void tellListener(Canvas* canvas) {
        if (listener_) listener_->valueChanged(canvas, this);
    }
    // The listener (and through it the host) hears only of real changes:
    // whether the control was redrawn since says nothing about that.
    void tellListenerIfChanged(Canvas* canvas, float before);
    // The user moved the control to `value`: stored, brought into range and
    // told when it differs from the value it had. A value equal to the
    // current one is not stored, so a press that does not move leaves even
    // a value outside the range as it was.
    void moveTo(float value, Canvas* canvas);
    // Control-click: back to the default value.
    void restoreDefault(Canvas* canvas);
    // The arrow keys: +-keyStep, a tenth of it with Shift; -1 for other keys.
    int stepByKey(const KeyCode& key);
    void drawBackground(Canvas& canvas) const;

    ValueListener* listener_;
    std::int32_t tag_;
    Relaxed<float> previousValue_{1.0f};
    float defaultValue_ = 0.5f;
    Relaxed<float> value_{0.0f};
    float minValue_ = 0.0f;
    float maxValue_ = 1.0f;
    float keyStep_ = 0.1f;
    std::int32_t lastClickTicks_ = -1;
    int doubleClickDelay_ = 400;
    BitmapRef background_;
    Point backgroundOffset_;
};

}  // namespace velora::gui
