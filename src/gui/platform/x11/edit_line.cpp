// SPDX-License-Identifier: MIT
#include "gui/platform/x11/edit_line.h"

namespace velora::gui::x11 {

EditLine::EditLine(std::string_view text, int maxLength)
    : text_(text), maxLength_(maxLength > 0 ? static_cast<std::size_t>(maxLength) : 0) {
    if (text_.size() > maxLength_) text_.resize(maxLength_);
    selectAll();
}

void EditLine::selectAll() {
    anchor_ = 0;
    caret_ = text_.size();
}

void EditLine::eraseSelection() {
    const std::size_t start = selectionStart();
    text_.erase(start, selectionEnd() - start);
    caret_ = anchor_ = start;
}

void EditLine::type(std::string_view typed) {
    eraseSelection();
    std::string kept;
    for (char c : typed) {
        if (c < 32 || c > 126) continue;  // printable ASCII, as the glyphs cover
        if (text_.size() + kept.size() >= maxLength_) break;
        kept += c;
    }
    text_.insert(caret_, kept);
    caret_ = anchor_ = caret_ + kept.size();
}

void EditLine::backspace() {
    if (!hasSelection() && caret_ > 0) anchor_ = caret_ - 1;
    eraseSelection();
}

void EditLine::deleteForward() {
    if (!hasSelection() && caret_ < text_.size()) anchor_ = caret_ + 1;
    eraseSelection();
}

void EditLine::moveTo(std::size_t position, bool extend) {
    caret_ = position < text_.size() ? position : text_.size();
    if (!extend) anchor_ = caret_;
}

void EditLine::left(bool extend) {
    if (hasSelection() && !extend) return moveTo(selectionStart(), false);
    moveTo(caret_ > 0 ? caret_ - 1 : 0, extend);
}

void EditLine::right(bool extend) {
    if (hasSelection() && !extend) return moveTo(selectionEnd(), false);
    moveTo(caret_ + 1, extend);
}

void EditLine::home(bool extend) { moveTo(0, extend); }

void EditLine::end(bool extend) { moveTo(text_.size(), extend); }

void EditLine::placeCaret(std::size_t position) { moveTo(position, false); }

}  // namespace velora::gui::x11
