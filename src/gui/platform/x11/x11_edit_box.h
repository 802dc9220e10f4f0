// SPDX-License-Identifier: MIT
#pragma once
// The single-line edit box of the X11 frame: a child window of our own over
// the text field, drawn with the toolkit's glyphs, holding the keyboard focus
// while it is open.
#include <memory>
#include <string>

#include "gui/platform/platform.h"
#include "gui/platform/x11/edit_line.h"
#include "gui/platform/x11/image_presenter.h"
#include "gui/software/pixel_image.h"

namespace velora::gui::x11 {

class X11Window;

class X11EditBox final : public EditBox {
public:
    X11EditBox(X11Window& owner, const EditBoxSetup& setup, EditBoxEvents& events);
    ~X11EditBox() override;

    bool isCreated() const { return id_ != 0; }
    ::Window id() const { return id_; }
    std::string text() const override { return line_.text(); }

    // Events of the box's window. A key or a focus loss may end the edit and
    // so destroy the box: nothing may touch it after these return true.
    bool key(XKeyEvent& event);
    bool focusOut(const XFocusChangeEvent& event);
    void press(Point where);
    void redraw();

private:
    int textLeft() const;
    int caretX(std::size_t position) const;

    X11Window& owner_;
    EditBoxSetup setup_;
    EditBoxEvents& events_;
    EditLine line_;
    ::Window id_ = 0;
    ::Window previousFocus_ = 0;
    int previousRevert_ = 0;
    PixelImage pixels_;
    std::unique_ptr<ImagePresenter> presenter_;
    int scroll_ = 0;  // pixels the text is moved left to keep the caret in view
};

}  // namespace velora::gui::x11
