// SPDX-License-Identifier: MIT
#include "gui/platform/x11/x11_edit_box.h"

#include <X11/keysym.h>

#include "gui/platform/x11/x11_platform_impl.h"
#include "gui/platform/x11/x11_window.h"
#include "gui/software/glyph_font.h"
#include "gui/software/software_canvas.h"

namespace velora::gui::x11 {
namespace {

constexpr long kBoxEvents = ExposureMask | ButtonPressMask | KeyPressMask | FocusChangeMask;

// Never larger than the frame window it lies in.
int side(int asked, int frameSide) { return asked < 1 ? 1 : asked > frameSide ? frameSide : asked; }

}  // namespace

X11EditBox::X11EditBox(X11Window& owner, const EditBoxSetup& setup, EditBoxEvents& events)
    : owner_(owner),
      setup_(setup),
      events_(events),
      line_(setup.text, setup.maxLength),
      pixels_(side(setup.area.width(), owner.pixels().width()), side(setup.area.height(), owner.pixels().height()),
              setup.backColour) {
    X11Platform& platform = owner_.platform_;
    const Xlib& x = platform.xlib();
    Display* display = platform.display();
    XSetWindowAttributes attributes{};
    attributes.background_pixmap = None;
    attributes.border_pixel = 0;
    attributes.event_mask = kBoxEvents;
    id_ = x.CreateWindow(display, owner_.id(), setup.area.left, setup.area.top, static_cast<unsigned>(pixels_.width()),
                         static_cast<unsigned>(pixels_.height()), 0, CopyFromParent, InputOutput, CopyFromParent,
                         CWBackPixmap | CWBorderPixel | CWEventMask, &attributes);
    if (id_ == 0) return;
    presenter_ = std::make_unique<ImagePresenter>(x, display, id_, owner_.visual_, owner_.depth_);
    x.MapWindow(display, id_);
    x.GetInputFocus(display, &previousFocus_, &previousRevert_);
    // Fails harmlessly (the error is ours to ignore) when the host's window
    // is not viewable; the box then works with the mouse only.
    x.SetInputFocus(display, id_, RevertToParent, CurrentTime);
    owner_.editBox_ = this;
    redraw();
}

X11EditBox::~X11EditBox() {
    if (owner_.editBox_ == this) owner_.editBox_ = nullptr;
    presenter_.reset();
    X11Platform& platform = owner_.platform_;
    if (id_ != 0 && !owner_.isGone() && platform.connected()) {
        const Xlib& x = platform.xlib();
        Display* display = platform.display();
        ::Window focus = 0;
        int revert = 0;
        x.GetInputFocus(display, &focus, &revert);
        // Give the keyboard back to whoever had it (the host, usually).
        if (focus == id_ && previousFocus_ != None && previousFocus_ != id_)
            x.SetInputFocus(display, previousFocus_, previousRevert_, CurrentTime);
        x.DestroyWindow(display, id_);
        x.Flush(display);
    }
    owner_.invalidate(setup_.area);  // what was under the box shows again
}

int X11EditBox::textLeft() const {
    const GlyphFont& font = builtInFont(setup_.font);
    const int inner = pixels_.width() - 2 * setup_.sideMargins;
    const int width = font.textWidth(line_.text());
    if (width >= inner) return setup_.sideMargins - scroll_;
    if (setup_.alignment == kAlignCentre) return setup_.sideMargins + (inner - width) / 2;
    if (setup_.alignment == kAlignRight) return setup_.sideMargins + inner - width - 1;
    return setup_.sideMargins;
}

int X11EditBox::caretX(std::size_t position) const {
    const GlyphFont& font = builtInFont(setup_.font);
    return textLeft() + font.textWidth(std::string_view(line_.text()).substr(0, position));
}

void X11EditBox::redraw() {
    const GlyphFont& font = builtInFont(setup_.font);
    const std::string& text = line_.text();
    const int inner = pixels_.width() - 2 * setup_.sideMargins;
    const int width = font.textWidth(text);
    // Scroll just enough to keep the caret in view.
    const int caretOffset = font.textWidth(std::string_view(text).substr(0, line_.caret()));
    if (width < inner) {
        scroll_ = 0;
    } else {
        if (caretOffset - scroll_ > inner - 1) scroll_ = caretOffset - inner + 1;
        if (caretOffset < scroll_) scroll_ = caretOffset;
    }

    SoftwareCanvas canvas(pixels_);
    canvas.fillRect(pixels_.bounds(), setup_.backColour);
    const Rect inside{setup_.sideMargins, 0, pixels_.width() - setup_.sideMargins, pixels_.height()};
    const int left = textLeft();
    const int lineTop = (pixels_.height() - font.lineHeight()) / 2;
    const Rect textBox{left, 0, left + width, pixels_.height()};
    TextStyle style;
    style.font = setup_.font;
    style.alignment = kAlignLeft;
    style.colour = setup_.textColour;
    canvas.setClip(inside);
    canvas.drawText(text, textBox, style, font);
    if (line_.hasSelection()) {
        // Selected text in reverse colours.
        const Rect selected =
            Rect{caretX(line_.selectionStart()), lineTop, caretX(line_.selectionEnd()), lineTop + font.lineHeight()}
                .clippedTo(inside);
        canvas.fillRect(selected, setup_.textColour);
        canvas.setClip(selected);
        style.colour = setup_.backColour;
        canvas.drawText(text, textBox, style, font);
        canvas.setClip(inside);
    }
    const int caret = caretX(line_.caret());
    canvas.setClip(pixels_.bounds());
    canvas.drawLine({caret, lineTop}, {caret, lineTop + font.lineHeight()}, setup_.textColour);
    if (presenter_ && !owner_.isGone() && owner_.platform_.connected()) {
        presenter_->present(pixels_, pixels_.bounds());
        owner_.platform_.xlib().Flush(owner_.platform_.display());
    }
}

bool X11EditBox::key(XKeyEvent& event) {
    char typed[16] = {};
    KeySym symbol = 0;
    const int count = owner_.platform_.xlib().LookupString(&event, typed, sizeof typed, &symbol, nullptr);
    const bool shift = (event.state & ShiftMask) != 0;
    const bool control = (event.state & ControlMask) != 0;
    switch (symbol) {
    case XK_Return:
    case XK_KP_Enter:
        events_.returnPressed();  // the owner usually destroys the box here
        return true;
    case XK_BackSpace: line_.backspace(); break;
    case XK_Delete:
    case XK_KP_Delete: line_.deleteForward(); break;
    case XK_Left:
    case XK_KP_Left: line_.left(shift); break;
    case XK_Right:
    case XK_KP_Right: line_.right(shift); break;
    case XK_Home:
    case XK_KP_Home: line_.home(shift); break;
    case XK_End:
    case XK_KP_End: line_.end(shift); break;
    default:
        if (control && (symbol == XK_a || symbol == XK_A))
            line_.selectAll();
        else if (count > 0 && !control)
            line_.type(std::string_view(typed, static_cast<std::size_t>(count)));
        else
            return false;
    }
    redraw();
    return false;
}

bool X11EditBox::focusOut(const XFocusChangeEvent& event) {
    // Keyboard grabs (a host's menu) and pointer-follows-focus moves are not
    // a real loss of the focus.
    if (event.mode == NotifyGrab || event.mode == NotifyUngrab) return false;
    if (event.detail == NotifyInferior || event.detail == NotifyPointer || event.detail == NotifyPointerRoot ||
        event.detail == NotifyDetailNone)
        return false;
    events_.focusLost();
    return true;
}

void X11EditBox::press(Point where) {
    const GlyphFont& font = builtInFont(setup_.font);
    const std::string& text = line_.text();
    std::size_t position = 0;
    int pen = textLeft();
    // The caret goes to the character boundary nearest the press.
    while (position < text.size()) {
        const int advance = font.glyph(text[position]).advance;
        if (where.h < pen + advance / 2) break;
        pen += advance;
        ++position;
    }
    line_.placeCaret(position);
    redraw();
}

}  // namespace velora::gui::x11
