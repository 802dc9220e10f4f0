// SPDX-License-Identifier: MIT
#pragma once
// A value display whose text the user can edit: a press opens a native edit
// box over it; Return, a focus loss or a press elsewhere ends the edit, and a
// changed text is reported to the listener.
//
// setText may be called from any thread while the GUI thread draws; the text
// passes through a lock-free hand-over.
#include <memory>
#include <string>

#include "gui/platform/platform.h"
#include "gui/shared_text.h"
#include "gui/value_display.h"

namespace velora::gui {

class TextField : public ValueDisplay, private EditBoxEvents {
public:
    TextField(const Rect& size, ValueListener* listener, std::int32_t tag, const char* text, Bitmap* background,
              int style);
    ~TextField() override;

    void draw(Canvas& canvas) override;
    void mouse(Canvas& canvas, Point where) override;
    void takeFocus() override;
    void loseFocus() override;
    // While the edit box is open, keys the host forwards are the typist's
    // (declined, so the host keeps them), never a control's.
    bool holdsKeys() const override { return isEditing(); }

    // Any thread. A null text is ignored; the field becomes dirty only when
    // the text changes. Texts longer than 255 characters are cut.
    void setText(const char* text);
    // GUI thread: copies the text (at most 255 characters and the
    // terminator) out.
    void getText(char (&out)[kTextCapacity]) const;
    std::string text() const;

    bool isEditing() const { return editBox_ != nullptr; }
    bool closedByReturn() const { return closedByReturn_; }
    // The height of the edit box's font: the field's font, no taller than
    // the field allows.
    int editFontHeight() const;

protected:
    void displayText(float value, char (&text)[kTextCapacity]) override;

private:
    void returnPressed() override;
    void focusLost() override;

    SharedText text_;
    char shown_[kTextCapacity] = {};  // GUI thread: the last text read
    std::unique_ptr<EditBox> editBox_;
    bool closedByReturn_ = false;
};

}  // namespace velora::gui
