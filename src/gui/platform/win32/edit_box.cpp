// SPDX-License-Identifier: MIT
#include "gui/platform/win32/edit_box.h"

#include "gui/platform/win32/gdi_colour.h"
#include "gui/platform/win32/gdi_font.h"
#include "gui/platform/win32/module_handle.h"

namespace velora::gui::win32 {
namespace {

DWORD alignmentStyle(int alignment) {
    if (alignment == kAlignCentre) return ES_CENTER;
    if (alignment == kAlignRight) return ES_RIGHT;
    return ES_LEFT;
}

// The class procedure of EDIT, for messages that reach our procedure after
// the box let go of its window.
WNDPROC editClassProcedure = nullptr;

}  // namespace

std::unique_ptr<Win32EditBox> Win32EditBox::open(HWND parent, const EditBoxSetup& setup, EditBoxEvents& events,
                                                 Win32EditBox** slot) {
    std::unique_ptr<Win32EditBox> box(new Win32EditBox(setup, events, slot));
    if (!box->create(parent, setup)) return nullptr;
    if (slot) *slot = box.get();
    return box;
}

Win32EditBox::Win32EditBox(const EditBoxSetup& setup, EditBoxEvents& events, Win32EditBox** slot)
    : events_(events),
      slot_(slot),
      textColour_(toColorRef(setup.textColour)),
      backColour_(toColorRef(setup.backColour)) {}

bool Win32EditBox::create(HWND parent, const EditBoxSetup& setup) {
    const Rect& area = setup.area;
    const DWORD style = WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL | alignmentStyle(setup.alignment);
    window_ = CreateWindowExA(0, "EDIT", setup.text.c_str(), style, area.left, area.top, area.width(), area.height(),
                              parent, nullptr, thisModule(), nullptr);
    if (!window_) return false;

    font_ = createFont(setup.font);
    if (font_) SendMessageA(window_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    const int margin = setup.sideMargins > 0 ? setup.sideMargins : 0;
    SendMessageA(window_, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELONG(margin, margin));
    if (setup.maxLength > 0) SendMessageA(window_, EM_LIMITTEXT, static_cast<WPARAM>(setup.maxLength), 0);

    SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    original_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Win32EditBox::procedure)));
    if (!editClassProcedure) editClassProcedure = original_;

    SetFocus(window_);
    SendMessageA(window_, EM_SETSEL, 0, -1);
    return true;
}

Win32EditBox::~Win32EditBox() {
    // Quiet first: destroying a focused box reports a focus loss.
    HWND window = window_;
    detach();
    if (window) DestroyWindow(window);
    if (font_) DeleteObject(font_);
    if (brush_) DeleteObject(brush_);
    if (slot_ && *slot_ == this) *slot_ = nullptr;
}

void Win32EditBox::detach() {
    if (!window_) return;
    if (original_) SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original_));
    SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
    window_ = nullptr;
}

std::string Win32EditBox::text() const {
    if (!window_) return {};
    char text[256];
    const int length = GetWindowTextA(window_, text, sizeof text);
    return std::string(text, length > 0 ? static_cast<std::size_t>(length) : 0);
}

HBRUSH Win32EditBox::colours(HDC dc) {
    SetTextColor(dc, textColour_);
    SetBkColor(dc, backColour_);
    if (HBRUSH fresh = CreateSolidBrush(backColour_)) {
        if (brush_) DeleteObject(brush_);
        brush_ = fresh;
    }
    return brush_;
}

LRESULT CALLBACK Win32EditBox::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* box = reinterpret_cast<Win32EditBox*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!box)
        return editClassProcedure ? CallWindowProcA(editClassProcedure, window, message, wParam, lParam)
                                  : DefWindowProcA(window, message, wParam, lParam);
    const WNDPROC original = box->original_;
    try {
        switch (message) {
        case WM_GETDLGCODE: return CallWindowProcA(original, window, message, wParam, lParam) | DLGC_WANTALLKEYS;
        case WM_KEYDOWN:
            if (wParam != VK_RETURN) break;
            // The owner may destroy the box here: nothing of it is touched after.
            box->events_.returnPressed();
            return 0;
        case WM_CHAR:
            if (wParam == '\r' || wParam == '\n') return 0;  // no beep for the Return already served
            break;
        case WM_KILLFOCUS: {
            const LRESULT result = CallWindowProcA(original, window, message, wParam, lParam);
            box->events_.focusLost();
            return result;
        }
        case WM_NCDESTROY:
            // The system destroys the box with its parent: forget the window.
            box->detach();
            return CallWindowProcA(original, window, message, wParam, lParam);
        default: break;
        }
    } catch (...) {
        return 0;  // nothing may leave through the system's call
    }
    return CallWindowProcA(original, window, message, wParam, lParam);
}

}  // namespace velora::gui::win32
