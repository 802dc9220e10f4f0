// SPDX-License-Identifier: MIT
#pragma once
// The text, caret and selection of a single-line edit box, apart from any
// window: what typing and the editing keys do to them.
#include <cstddef>
#include <string>
#include <string_view>

namespace velora::gui::x11 {

class EditLine {
public:
    // Opens with all of the text selected and the caret at its end; a text
    // longer than `maxLength` is cut.
    EditLine(std::string_view text, int maxLength);

    const std::string& text() const { return text_; }
    std::size_t caret() const { return caret_; }
    std::size_t selectionStart() const { return caret_ < anchor_ ? caret_ : anchor_; }
    std::size_t selectionEnd() const { return caret_ < anchor_ ? anchor_ : caret_; }
    bool hasSelection() const { return caret_ != anchor_; }

    // Replaces the selection by the printable characters of `typed`, as many
    // as the length limit leaves room for.
    void type(std::string_view typed);
    void backspace();
    void deleteForward();
    // Caret moves; with `extend` the selection grows from its anchor.
    void left(bool extend);
    void right(bool extend);
    void home(bool extend);
    void end(bool extend);
    void placeCaret(std::size_t position);
    void selectAll();

private:
    void moveTo(std::size_t position, bool extend);
    void eraseSelection();

    std::string text_;
    std::size_t maxLength_;
    std::size_t caret_ = 0;
    std::size_t anchor_ = 0;
};

}  // namespace velora::gui::x11
