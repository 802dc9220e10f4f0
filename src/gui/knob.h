// SPDX-License-Identifier: MIT
#pragma once
// A round control: a background bitmap with an indicator (a small bitmap, or
// two lines) on a circle, turned by a circular or linear drag.
//
// Angles are in radians, counter-clockwise from the positive x axis; the
// value runs along the sweep from startAngle, and the rest of the circle is a
// gap whose halves belong to the two ends.
#include "gui/control.h"

namespace velora::gui {

class Knob : public Control {
public:
    Knob(const Rect& size, ValueListener* listener, std::int32_t tag, Bitmap* background, Bitmap* indicator,
         Point backgroundOffset);

    void draw(Canvas& canvas) override;
    void mouse(Canvas& canvas, Point where) override;
    int onKeyDown(const KeyCode& key) override { return stepByKey(key); }

    virtual void drawIndicator(Canvas& canvas, float value);
    virtual void setStartAngle(float angle);
    virtual float getStartAngle() const { return startAngle_; }
    virtual void setSweepAngle(float angle);
    virtual float getSweepAngle() const { return sweepAngle_; }
    // Control-relative point of the indicator for a value.
    virtual Point pointFromValue(float value) const;
    // The value of the angle a control-relative point lies at.
    virtual float valueFromPoint(Point where) const;
    virtual void setInset(std::int32_t inset);
    std::int32_t getInset() const { return inset_; }
    virtual void setShadowColour(Colour colour);
    virtual void setIndicatorColour(Colour colour);
    virtual void setIndicatorBitmap(Bitmap* indicator);
    virtual void setFineFactor(float factor) { fineFactor_ = factor; }
    virtual float getFineFactor() const { return fineFactor_; }
    // Window pixels per 1x pixel: a linear drag covers the range over the
    // same distance on screen at every size of the editor.
    void setPixelScale(float factor) { pixelScale_ = factor > 0.0f ? factor : 1.0f; }

    // The knob mode in which drags are linear unless Alt is held.
    static constexpr int kLinearMode = 2;

private:
    void recomputeLine();
    void dragLinear(Canvas& canvas, Point where, int pressWord);
    void dragCircular(Canvas& canvas, Point where);
    float pixelsForFullRange(int word) const {
        const float pixels = 200.0f * pixelScale_;
        return (word & kShift) ? pixels * fineFactor_ : pixels;
    }

    BitmapRef indicator_;
    std::int32_t inset_ = 3;
    Colour indicatorColour_ = kWhite;
    Colour shadowColour_ = kGrey;
    float startAngle_ = 0.0f;
    float sweepAngle_ = 1.0f;
    float gapHalfAngle_ = 0.0f;
    float slope_ = 0.0f;
    float intercept_ = 0.0f;
    float radius_;
    float fineFactor_ = 1.5f;
    float pixelScale_ = 1.0f;
};

}  // namespace velora::gui
