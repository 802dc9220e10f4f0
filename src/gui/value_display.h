// SPDX-License-Identifier: MIT
#pragma once
// One line of text in a box, with optional background bitmap, 3D frame and
// shadow.
#include "gui/control.h"
#include "gui/font_table.h"
#include "gui/scale.h"

namespace velora::gui {

class ValueDisplay : public Control {
public:
    enum Style : int {
        kShadowText = 4,
        kInset3D = 128,
        kRaised3D = 256,
        kNoText = 2048,
        kNoDraw = 4096,
        kDoubleClick = 8192,
    };
    static constexpr int kTextCapacity = 256;  // up to 255 characters and the terminator
    using ValueToText = void (*)(float value, char* text, void* userData);

    ValueDisplay(const Rect& size, ValueListener* listener, std::int32_t tag, Bitmap* background, int style);

    void draw(Canvas& canvas) override;

    // Each setter marks the display dirty only when the setting changed.
    virtual void setFont(int index);
    virtual void setFontColour(Colour colour);
    virtual void setBackColour(Colour colour);
    virtual void setFrameColour(Colour colour);
    virtual void setShadowColour(Colour colour);
    virtual void setAlignment(int alignment);
    virtual void setValueToText(ValueToText convert, void* userData);
    virtual void setStyle(int style);
    virtual void setTextFace(int face);

    int getFont() const { return fontIndex_; }
    Colour getFontColour() const { return fontColour_; }
    Colour getBackColour() const { return backColour_; }
    Colour getFrameColour() const { return frameColour_; }
    int getAlignment() const { return alignment_; }
    int getStyle() const { return style_; }
    int getTextFace() const { return face_; }
    void setTextTransparency(bool transparent) { transparentText_ = transparent; }
    // The editor's size: font heights and text margins grow with it.
    void setTextScale(Scale scale) { change(textScale_, scale); }
    Scale getTextScale() const { return textScale_; }
    // The font of the table at this display's size.
    FontRequest font() const;

protected:
    // The text to show for a value; an empty text draws no text.
    virtual void displayText(float value, char (&text)[kTextCapacity]);
    template <typename T>
    void change(T& field, T value) {
        if (field == value) return;
        field = value;
        setDirty(true);
    }

private:
    void drawFrame3D(Canvas& canvas) const;

    ValueToText valueToText_ = nullptr;
    void* valueToTextData_ = nullptr;
    int alignment_ = kAlignCentre;
    int style_;
    int fontIndex_ = kDefaultFontIndex;
    int face_ = 0;
    Colour fontColour_ = kWhite;
    Colour backColour_ = kBlack;
    Colour frameColour_ = kBlack;
    Colour shadowColour_ = kRed;
    bool transparentText_ = true;
    Scale textScale_ = Scale::x100;
};

}  // namespace velora::gui
