// SPDX-License-Identifier: MIT
#include "gui/knob.h"

#include <cmath>

#include "core/numeric.h"

namespace velora::gui {
namespace {

constexpr float kTwoPi = 6.2831855f;
constexpr float kStartAngle = 3.9269907f;  // 5 pi / 4: value 0 at the lower left
constexpr float kSweepAngle = -4.712389f;  // three quarters clockwise

bool hasImage(const BitmapRef& bitmap) { return bitmap && bitmap->width() > 0 && bitmap->height() > 0; }

std::int32_t insetFor(const BitmapRef& indicator) {
    return hasImage(indicator) ? truncToInt(static_cast<float>(indicator->width()) / 2.0f + 2.5f) : 3;
}

}  // namespace

Knob::Knob(const Rect& size, ValueListener* listener, std::int32_t tag, Bitmap* background, Bitmap* indicator,
           Point backgroundOffset)
    : Control(size, listener, tag, background),
      indicator_(indicator),
      radius_(static_cast<float>(size.right - size.left) / 2.0f) {
    backgroundOffset_ = backgroundOffset;
    inset_ = insetFor(indicator_);
    setStartAngle(kStartAngle);
    setSweepAngle(kSweepAngle);
}

void Knob::recomputeLine() {
    slope_ = (maxValue_ - minValue_) / sweepAngle_;
    // A zero sweep leaves no line to map values on.
    if (!std::isfinite(slope_)) slope_ = 0.0f;
    intercept_ = minValue_ - slope_ * startAngle_;
    gapHalfAngle_ = (kTwoPi - std::fabs(sweepAngle_)) / 2.0f;
    setDirty(true);
}

void Knob::setStartAngle(float angle) {
    startAngle_ = angle;
    recomputeLine();
}

void Knob::setSweepAngle(float angle) {
    sweepAngle_ = angle;
    recomputeLine();
}

void Knob::setInset(std::int32_t inset) {
    inset_ = inset;
    setDirty(true);
}

void Knob::setShadowColour(Colour colour) {
    shadowColour_ = colour;
    setDirty(true);
}

void Knob::setIndicatorColour(Colour colour) {
    indicatorColour_ = colour;
    setDirty(true);
}

void Knob::setIndicatorBitmap(Bitmap* indicator) {
    indicator_.reset(indicator);
    inset_ = insetFor(indicator_);
}

Point Knob::pointFromValue(float value) const {
    const float alpha = slope_ != 0.0f ? (value - intercept_) / slope_ : startAngle_;
    const double reach = static_cast<double>(radius_) - inset_;
    const double x = radius_ + std::cos(static_cast<double>(alpha)) * reach + 0.5;
    const double y = radius_ - std::sin(static_cast<double>(alpha)) * reach + 0.5;
    return {truncToInt(x), truncToInt(y)};
}

float Knob::valueFromPoint(Point where) const {
    const double twoPi = kTwoPi;
    double alpha = std::atan2(static_cast<double>(radius_) - where.v, where.h - static_cast<double>(radius_));
    if (alpha < 0.0) alpha += twoPi;
    const double sweep = sweepAngle_;
    const double gapHalf = gapHalfAngle_;
    double alpha2 = sweep < 0.0 ? alpha - startAngle_ - sweep : alpha - startAngle_;
    double alpha3 = alpha2;
    if (alpha3 < 0.0) alpha3 += twoPi;
    if (alpha3 > twoPi) alpha3 -= twoPi;
    if (sweep < 0.0) {
        if (alpha3 > gapHalf - sweep) return maxValue_;
        if (alpha3 > -sweep) return minValue_;
        if (alpha2 > gapHalf - sweep) alpha2 -= twoPi;
        if (alpha2 < -gapHalf) alpha2 += twoPi;
        return maxValue_ + slope_ * static_cast<float>(alpha2);
    }
    if (alpha3 > gapHalf + sweep) return minValue_;
    if (alpha3 > sweep) return maxValue_;
    if (alpha2 > gapHalf + sweep) alpha2 -= twoPi;
    if (alpha2 < -gapHalf) alpha2 += twoPi;
    return minValue_ + slope_ * static_cast<float>(alpha2);
}

void Knob::draw(Canvas& canvas) {
    const float value = takeValueToDraw();
    drawBackground(canvas);
    drawIndicator(canvas, value);
    markDrawn(value);
}

void Knob::drawIndicator(Canvas& canvas, float value) {
    const Point p = pointFromValue(value);
    if (hasImage(indicator_)) {
        const int w = indicator_->width();
        const int h = indicator_->height();
        indicator_->drawTransparent(canvas, rectAt({size_.left + p.h - w / 2, size_.top + p.v - h / 2}, w, h));
        return;
    }
    const Point at{size_.left + p.h, size_.top + p.v};
    const Point centre{size_.left + size_.width() / 2, size_.top + size_.height() / 2};
    canvas.drawLine({at.h - 1, at.v}, {centre.h - 1, centre.v}, shadowColour_);
    canvas.drawLine({at.h, at.v - 1}, {centre.h, centre.v - 1}, indicatorColour_);
}

void Knob::mouse(Canvas& canvas, Point where) {
    if (!mouseEnabled_) return;
    const int word = buttons();
    if (!(word & kLeftButton)) return;
    if (word == kControlLeft) {
        restoreDefault(&canvas);
        return;
    }
    const bool linear = (knobMode() == kLinearMode) != ((word & kAlt) != 0);
    beginEdit();
    takeFrameFocus();
    if (linear)
        dragLinear(canvas, where, word);
    else
        dragCircular(canvas, where);
    endEdit();
}

void Knob::dragLinear(Canvas& canvas, Point where, int pressWord) {
    const float range = maxValue_ - minValue_;
    // A value beyond the range moves from the end the knob shows.
    float entry = inRange(value_.load());
    int oldButton = pressWord;
    const auto pixels = [this](int word) {
        const float p = pixelsForFullRange(word);
        return p > 0.0f ? p : 200.0f;
    };
    float coef = range / pixels(oldButton);
    const Point first = where;
    Point last = where;
    bool firstRound = true;
    while (buttons() & kLeftButton) {
        const int word = buttons();
        if (firstRound || where != last) {
            firstRound = false;
            last = where;
            const float diff = static_cast<float>((first.v - where.v) + (where.h - first.h));
            if (word != oldButton) {
                const float newCoef = range / pixels(word);
                entry += diff * (coef - newCoef);
                coef = newCoef;
                oldButton = word;
            }
            moveTo(entry + diff * coef, &canvas);
        }
        where = pointer();
        idleDuringDrag();
    }
}

void Knob::dragCircular(Canvas& canvas, Point where) {
    const float middle = (maxValue_ - minValue_) / 2.0f;
    const Point origin = size_.topLeft();
    float old = valueFromPoint({where.h - origin.h, where.v - origin.v});
    Point last = where;
    bool firstRound = true;
    while (buttons() & kLeftButton) {
        if (firstRound || where != last) {
            firstRound = false;
            last = where;
            float value = valueFromPoint({where.h - origin.h, where.v - origin.v});
            // Never across the gap: the far end pins instead.
            if (old - value > middle)
                value = maxValue_;
            else if (value - old > middle)
                value = minValue_;
            else
                old = value;
            const float before = value_.load();
            value_.store(value);
            tellListenerIfChanged(&canvas, before);
        }
        where = pointer();
        idleDuringDrag();
    }
}

}  // namespace velora::gui
