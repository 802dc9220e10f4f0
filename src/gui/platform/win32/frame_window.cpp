// SPDX-License-Identifier: MIT
#include "gui/platform/win32/frame_window.h"

#include <windowsx.h>

#include <string>

#include "core/log.h"
#include "gui/platform/win32/drop_target.h"
#include "gui/platform/win32/edit_box.h"
#include "gui/platform/win32/gdi_canvas.h"
#include "gui/platform/win32/module_handle.h"
#include "gui/platform/win32/window_class.h"

namespace velora::gui::win32 {
namespace {

// Larger than any screen; keeps sizes from a caller within what the system takes.
constexpr int kLargestSide = 1 << 15;

}  // namespace

std::unique_ptr<FrameWindow> FrameWindow::create(HWND parent, const Rect& size, WindowEvents& events,
                                                 int* servedPress) {
    if (!parent || !IsWindow(parent)) {
        log::say("editor: the host's parent window is not a window");
        return nullptr;
    }
    if (size.width() <= 0 || size.height() <= 0 || size.width() > kLargestSide || size.height() > kLargestSide)
        return nullptr;
    std::unique_ptr<FrameWindow> window(new FrameWindow(events, servedPress));
    if (!window->open(parent, size)) return nullptr;
    return window;
}

bool FrameWindow::open(HWND parent, const Rect& size) {
    classAcquired_ = acquireWindowClass(&FrameWindow::procedure);
    if (!classAcquired_) {
        log::say("editor: cannot register the window class (system error ", std::to_string(GetLastError()), ")");
        return false;
    }
    // Children clipped: a repaint of the frame must not paint over the edit box.
    const DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN;
    CreateWindowExA(0, windowClassName(), "Window", style, 0, 0, size.width(), size.height(), parent, nullptr,
                    thisModule(), this);
    if (!window_) {
        log::say("editor: cannot create the editor's window (system error ", std::to_string(GetLastError()), ")");
        return false;
    }
    registerDropTarget();
    return true;
}

FrameWindow::~FrameWindow() {
    revokeDropTarget();
    if (HWND window = window_) {
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        window_ = nullptr;
        DestroyWindow(window);
    }
    if (classAcquired_) releaseWindowClass();
}

void FrameWindow::registerDropTarget() {
    if (!ole_.ready()) return;
    auto* target = new DropTarget(window_, events_);
    if (RegisterDragDrop(window_, target) == S_OK) {
        dropTarget_ = target;
    } else {
        target->detach();
        target->Release();
    }
}

void FrameWindow::revokeDropTarget() {
    if (!dropTarget_) return;
    if (window_) RevokeDragDrop(window_);
    dropTarget_->detach();
    dropTarget_->Release();
    dropTarget_ = nullptr;
}

std::unique_ptr<Canvas> FrameWindow::surface() {
    if (!window_) return nullptr;
    HDC dc = GetDC(window_);
    if (!dc) return nullptr;
    return std::make_unique<WindowCanvas>(window_, dc, &blend_);
}

void FrameWindow::invalidate(const Rect& area) {
    if (!window_ || area.isEmpty()) return;
    const RECT rect{area.left, area.top, area.right, area.bottom};
    InvalidateRect(window_, &rect, FALSE);
}

Point FrameWindow::pointer() {
    POINT cursor;
    RECT frame;
    if (!window_ || !GetCursorPos(&cursor) || !GetWindowRect(window_, &frame)) return {};
    return {cursor.x - frame.left, cursor.y - frame.top};
}

std::unique_ptr<EditBox> FrameWindow::createEditBox(const EditBoxSetup& setup, EditBoxEvents& events) {
    if (!window_ || editBox_) return nullptr;  // one at a time, as there is one keyboard focus
    return Win32EditBox::open(window_, setup, events, &editBox_);
}

void FrameWindow::paint() {
    RECT update;
    if (!GetUpdateRect(window_, &update, FALSE)) return;
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window_, &paint);
    if (dc) {
        GdiCanvas canvas(dc, &blend_);
        const Rect area{paint.rcPaint.left, paint.rcPaint.top, paint.rcPaint.right, paint.rcPaint.bottom};
        if (!area.isEmpty()) events_.paint(canvas, area);
    }
    EndPaint(window_, &paint);
}

void FrameWindow::press(UINT message, WPARAM flags, LPARAM where) {
    // A click shorter than our reaction is over before the live state is
    // read: until the drag loop's first poll the press counts as held, with
    // the buttons and modifiers of its message. The message names the
    // buttons as the user sees them, swapped already.
    const int previous = servedPress_ ? *servedPress_ : 0;
    if (servedPress_) *servedPress_ = pressWord(message, flags);
    // A drag loop runs inside; the window may be gone when it returns.
    std::unique_ptr<Canvas> canvas = surface();
    if (canvas) events_.buttonDown(*canvas, Point{GET_X_LPARAM(where), GET_Y_LPARAM(where)});
    if (servedPress_) *servedPress_ = previous;
}

int FrameWindow::pressWord(UINT message, WPARAM flags) {
    int word = message == WM_LBUTTONDOWN ? kLeftButton : message == WM_RBUTTONDOWN ? kRightButton : kMiddleButton;
    if (flags & MK_LBUTTON) word |= kLeftButton;
    if (flags & MK_RBUTTON) word |= kRightButton;
    if (flags & MK_MBUTTON) word |= kMiddleButton;
    if (flags & MK_SHIFT) word |= kShift;
    if (flags & MK_CONTROL) word |= kControl;
    // Alt has no flag of its own; the key state as of this message tells.
    if (GetKeyState(VK_MENU) < 0) word |= kAlt;
    return word;
}

LRESULT FrameWindow::serve(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: paint(); return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: press(message, wParam, lParam); return 0;
    case WM_CTLCOLOREDIT:
        if (editBox_ && reinterpret_cast<HWND>(lParam) == editBox_->handle())
            return reinterpret_cast<LRESULT>(editBox_->colours(reinterpret_cast<HDC>(wParam)));
        break;
    case WM_DESTROY:
        revokeDropTarget();
        events_.windowDestroyed();
        return 0;
    default: break;
    }
    return DefWindowProcA(window_, message, wParam, lParam);
}

LRESULT CALLBACK FrameWindow::procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* window = static_cast<FrameWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window));
        if (window) window->window_ = hwnd;
    }
    auto* window = reinterpret_cast<FrameWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!window) return DefWindowProcA(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        // Destroyed by the system (with the host's window): forget the handle.
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        window->window_ = nullptr;
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    try {
        return window->serve(message, wParam, lParam);
    } catch (...) {
        return 0;  // nothing may leave through the system's call
    }
}

}  // namespace velora::gui::win32
