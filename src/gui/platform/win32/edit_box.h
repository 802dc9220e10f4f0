// SPDX-License-Identifier: MIT
#pragma once
// The system's single-line EDIT box laid over a text field while it is
// edited. It is subclassed so that Return and the loss of the keyboard
// focus end the edit; the frame window colours it through colours().
#include <windows.h>

#include <memory>

#include "gui/platform/platform.h"

namespace velora::gui::win32 {

class Win32EditBox : public EditBox {
public:
    // Null when the system cannot make the box. `slot` is where the frame
    // window keeps its open box; the box clears it when it goes.
    static std::unique_ptr<Win32EditBox> open(HWND parent, const EditBoxSetup& setup, EditBoxEvents& events,
                                              Win32EditBox** slot);
    ~Win32EditBox() override;
    Win32EditBox(const Win32EditBox&) = delete;
    Win32EditBox& operator=(const Win32EditBox&) = delete;

    std::string text() const override;
    HWND handle() const { return window_; }
    // Answer to the box's colour request: the field's colours on `dc`, and
    // a fresh brush of the back colour (the previous one is deleted).
    HBRUSH colours(HDC dc);

private:
    Win32EditBox(const EditBoxSetup& setup, EditBoxEvents& events, Win32EditBox** slot);
    bool create(HWND parent, const EditBoxSetup& setup);
    void detach();
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    EditBoxEvents& events_;
    Win32EditBox** slot_;
    HWND window_ = nullptr;
    WNDPROC original_ = nullptr;
    HFONT font_ = nullptr;
    HBRUSH brush_ = nullptr;
    COLORREF textColour_;
    COLORREF backColour_;
};

}  // namespace velora::gui::win32
