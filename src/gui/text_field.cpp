// SPDX-License-Identifier: MIT
#include "gui/text_field.h"

#include <cstring>

#include "gui/frame.h"

namespace velora::gui {
namespace {

// The message a parent gets when an edit ends. Its spelling is the one
// parents have always matched on, so it stays.
constexpr const char* kEditEndedMessage = "LooseFocus";

std::string_view boundedText(const char* text, std::size_t limit) {
    std::size_t length = 0;
    while (length < limit && text[length] != '\0') ++length;
    return {text, length};
}

}  // namespace

TextField::TextField(const Rect& size, ValueListener* listener, std::int32_t tag, const char* text, Bitmap* background,
                     int style)
    : ValueDisplay(size, listener, tag, background, style) {
    if (text) text_.store(boundedText(text, SharedText::kMaxLength));
}

TextField::~TextField() {
    // The box goes without ending the edit: nobody is told during teardown.
    std::unique_ptr<EditBox> box = std::move(editBox_);
    box.reset();
    if (frame_) frame_->releaseFocus(this);
}

void TextField::setText(const char* text) {
    if (!text) return;
    const std::string_view wanted = boundedText(text, SharedText::kMaxLength);
    SharedText::Buffer current;
    if (text_.load(current) && wanted == current) return;
    text_.store(wanted);
    setDirty(true);
}

void TextField::getText(char (&out)[kTextCapacity]) const {
    if (!text_.load(out)) std::memcpy(out, shown_, sizeof out);
}

std::string TextField::text() const {
    char out[kTextCapacity];
    getText(out);
    return out;
}

void TextField::displayText(float, char (&text)[kTextCapacity]) {
    // A read that kept meeting writers shows the previous text for now.
    if (!text_.load(shown_)) setDirty(true);
    std::memcpy(text, shown_, sizeof text);
}

void TextField::draw(Canvas& canvas) {
    if (editBox_) {
        markDrawn(takeValueToDraw());
        return;
    }
    ValueDisplay::draw(canvas);
}

void TextField::mouse(Canvas&, Point) {
    if (!mouseEnabled_ || !frame_ || !(buttons() & kLeftButton)) return;
    if (frame_->getFocusView() == this) return;
    if (getStyle() & kDoubleClick) {
        const auto now = static_cast<std::int32_t>(tickCount());
        const bool isDouble = lastClickTicks_ != -1 && now - lastClickTicks_ < doubleClickDelay_;
        lastClickTicks_ = now;
        if (!isDouble) return;
    }
    frame_->setFocusView(this);
    takeFocus();
}

int TextField::editFontHeight() const {
    const int fitting = size_.height() - scaled(2, getTextScale());
    const int height = font().pixelHeight;
    const int chosen = fitting < height ? fitting : height;
    return chosen > 1 ? chosen : 1;
}

void TextField::takeFocus() {
    if (editBox_ || !frame_ || !frame_->window()) return;
    EditBoxSetup setup;
    setup.area = rectAt(size_.topLeft(), size_.width() + 1, size_.height() + 1);
    setup.alignment = getAlignment();
    setup.font = font();
    setup.font.pixelHeight = editFontHeight();
    setup.font.bold = setup.font.italic = setup.font.underline = false;
    setup.textColour = getFontColour();
    setup.backColour = getBackColour();
    setup.sideMargins = scaled(3, getTextScale());
    setup.maxLength = SharedText::kMaxLength;
    setup.text = text();
    closedByReturn_ = false;
    editBox_ = frame_->window()->createEditBox(setup, *this);
    if (!editBox_) frame_->releaseFocus(this);
}

void TextField::loseFocus() {
    if (!editBox_ || !frame_ || frame_->getFocusView() != this) return;
    frame_->releaseFocus(this);
    const std::string old = text();
    std::string typed = editBox_->text();
    if (typed.size() > SharedText::kMaxLength) typed.resize(SharedText::kMaxLength);
    text_.store(typed);
    // Forgotten before it goes: its own focus loss must not end the edit again.
    std::unique_ptr<EditBox> box = std::move(editBox_);
    box.reset();
    setDirty(true);  // the field shows again where the box was
    if (typed != old) tellListener(nullptr);
    View* parent = parentView_ ? parentView_ : frame_;
    parent->notify(this, kEditEndedMessage);
}

void TextField::returnPressed() {
    closedByReturn_ = true;
    loseFocus();
}

void TextField::focusLost() { loseFocus(); }

}  // namespace velora::gui
