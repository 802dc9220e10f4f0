// SPDX-License-Identifier: MIT
#pragma once
// The frame's child window in the host's editor window: class "Plugin…",
// title "Window", at 0, 0 with the frame's size. Its procedure turns paints
// and button presses into calls on the frame, colours the open edit box and
// tells the frame when the system destroys the window. It also holds what a
// frame needs while open: OLE for the thread, the blending library and the
// registered drop target.
#include <windows.h>

#include <memory>

#include "gui/platform/platform.h"
#include "gui/platform/win32/blend_library.h"
#include "gui/platform/win32/ole_session.h"

namespace velora::gui::win32 {

class DropTarget;
class Win32EditBox;

class FrameWindow : public PlatformWindow {
public:
    // Null when `parent` is not a window or the window cannot be made.
    // While a press is served, `servedPress` (when given) holds its button
    // word as the message tells it.
    static std::unique_ptr<FrameWindow> create(HWND parent, const Rect& size, WindowEvents& events,
                                               int* servedPress = nullptr);
    ~FrameWindow() override;
    FrameWindow(const FrameWindow&) = delete;
    FrameWindow& operator=(const FrameWindow&) = delete;

    std::unique_ptr<Canvas> surface() override;
    void invalidate(const Rect& area) override;
    Point pointer() override;
    std::unique_ptr<EditBox> createEditBox(const EditBoxSetup& setup, EditBoxEvents& events) override;

    // Null once the system destroyed the window.
    HWND handle() const { return window_; }
    bool dropTargetRegistered() const { return dropTarget_ != nullptr; }

private:
    FrameWindow(WindowEvents& events, int* servedPress) : events_(events), servedPress_(servedPress) {}
    bool open(HWND parent, const Rect& size);
    void registerDropTarget();
    void revokeDropTarget();
    void paint();
    void press(UINT message, WPARAM flags, LPARAM where);
    // The button word of a button-down message and its MK_ flags.
    static int pressWord(UINT message, WPARAM flags);
    LRESULT serve(UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    WindowEvents& events_;
    int* servedPress_;
    OleSession ole_;
    BlendLibrary blend_;
    bool classAcquired_ = false;
    HWND window_ = nullptr;
    DropTarget* dropTarget_ = nullptr;
    Win32EditBox* editBox_ = nullptr;
};

}  // namespace velora::gui::win32
