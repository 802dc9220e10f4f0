// SPDX-License-Identifier: MIT
#include "gui/value_display.h"

#include <cstdio>

namespace velora::gui {

ValueDisplay::ValueDisplay(const Rect& size, ValueListener* listener, std::int32_t tag, Bitmap* background, int style)
    : Control(size, listener, tag, background), style_(style) {
    if (style_ & kNoDraw) setDirty(false);
}

void ValueDisplay::setFont(int index) { change(fontIndex_, index >= 0 && index < kFontCount ? index : 0); }
void ValueDisplay::setFontColour(Colour colour) { change(fontColour_, colour); }
void ValueDisplay::setBackColour(Colour colour) { change(backColour_, colour); }
void ValueDisplay::setFrameColour(Colour colour) { change(frameColour_, colour); }
void ValueDisplay::setShadowColour(Colour colour) { change(shadowColour_, colour); }
void ValueDisplay::setAlignment(int alignment) { change(alignment_, alignment); }
void ValueDisplay::setStyle(int style) { change(style_, style); }
void ValueDisplay::setTextFace(int face) { change(face_, face); }

void ValueDisplay::setValueToText(ValueToText convert, void* userData) {
    valueToText_ = convert;
    valueToTextData_ = userData;
    setDirty(true);
}

void ValueDisplay::displayText(float value, char (&text)[kTextCapacity]) {
    text[0] = '\0';
    if (valueToText_)
        valueToText_(value, text, valueToTextData_);
    else
        std::snprintf(text, sizeof text, "%2.2f", static_cast<double>(value));
    text[kTextCapacity - 1] = '\0';
}

void ValueDisplay::drawFrame3D(Canvas& canvas) const {
    const Rect& r = size_;
    const bool inset = (style_ & kInset3D) != 0;
    const Colour topLeft = inset ? backColour_ : frameColour_;
    const Colour bottomRight = inset ? frameColour_ : backColour_;
    canvas.drawLine({r.left, r.bottom}, {r.left, r.top}, topLeft);
    canvas.drawLine({r.left, r.top}, {r.right + 1, r.top}, topLeft);
    canvas.drawLine({r.right, r.top + 1}, {r.right, r.bottom}, bottomRight);
    canvas.drawLine({r.right, r.bottom}, {r.left, r.bottom}, bottomRight);
}

void ValueDisplay::draw(Canvas& canvas) {
    const float value = takeValueToDraw();
    markDrawn(value);
    if (style_ & kNoDraw) return;

    const bool frame3D = (style_ & (kInset3D | kRaised3D)) != 0;
    if (background_) {
        drawBackground(canvas);
    } else if (!transparent_) {
        canvas.fillRect(size_, backColour_);
        if (!frame3D) canvas.frameRect(size_, frameColour_);
    }
    if (frame3D) drawFrame3D(canvas);
    if (style_ & kNoText) return;

    char text[kTextCapacity];
    displayText(value, text);
    if (text[0] == '\0') return;

    TextStyle look;
    look.font = font();
    look.alignment = alignment_;
    look.paintBackground = !transparentText_;
    look.background = backColour_;
    // Left-aligned text starts one pixel in.
    const Rect box = alignment_ == kAlignLeft ? Rect{size_.left + 1, size_.top, size_.right, size_.bottom} : size_;
    if (style_ & kShadowText) {
        look.colour = shadowColour_;
        canvas.drawText(text, box.offset(1, 1), look);
    }
    look.colour = fontColour_;
    canvas.drawText(text, box, look);
}

FontRequest ValueDisplay::font() const {
    FontRequest request = fontFromTable(fontIndex_, face_);
    request.pixelHeight = scaled(request.pixelHeight, textScale_);
    return request;
}

}  // namespace velora::gui
