// SPDX-License-Identifier: MIT
#include "gui/platform/win32/win32_platform.h"

#include <windows.h>

#include "resources/bitmap_ids.h"

#include "gui/platform/win32/frame_window.h"
#include "gui/platform/win32/gdi_canvas.h"
#include "gui/platform/win32/module_handle.h"
#include "gui/platform/win32/scaled_bitmap.h"
#include "gui/platform/win32/window_class.h"

namespace velora::gui {
namespace {

bool isDown(int key) { return (GetAsyncKeyState(key) & 0x8000) != 0; }

class Win32Platform : public Platform {
public:
    int buttonWord() override {
        // The asynchronous state names the physical buttons.
        const bool swapped = win32::mouseButtonsSwapped();
        int word = 0;
        if (isDown(VK_LBUTTON)) word |= swapped ? kRightButton : kLeftButton;
        if (isDown(VK_RBUTTON)) word |= swapped ? kLeftButton : kRightButton;
        if (isDown(VK_MBUTTON)) word |= kMiddleButton;
        if (isDown(VK_SHIFT)) word |= kShift;
        if (isDown(VK_CONTROL)) word |= kControl;
        if (isDown(VK_MENU)) word |= kAlt;
        // A click shorter than our reaction still counts while its press is
        // being served.
        return word | servedPress_;
    }

    std::uint32_t tickCount() override { return GetTickCount(); }

    void sleep(int milliseconds) override {
        if (milliseconds > 0) Sleep(static_cast<DWORD>(milliseconds));
    }

    int doubleClickTime() override { return static_cast<int>(GetDoubleClickTime()); }

    // The live state is read directly and the window procedure serves
    // events; from a drag loop's first poll on, the live state alone tells.
    void pollInput() override { servedPress_ = 0; }
    void processEvents() override {}

    void dispatchOnePaint() override {
        MSG message;
        if (PeekMessageA(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) DispatchMessageA(&message);
    }

    std::unique_ptr<PlatformWindow> createWindow(void* parent, const Rect& size, WindowEvents& events) override {
        try {
            return win32::FrameWindow::create(static_cast<HWND>(parent), size, events, &servedPress_);
        } catch (...) {
            return nullptr;
        }
    }

    // The window's own DPI where the system knows it per monitor (Windows 10
    // 1607 on), else the system DPI; 96 is 100 %.
    double systemScaleFactor(void* parent) override {
        using DpiForWindow = UINT(WINAPI*)(HWND);
        static const auto dpiForWindow = reinterpret_cast<DpiForWindow>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
        UINT dpi = 0;
        if (dpiForWindow && parent && IsWindow(static_cast<HWND>(parent)))
            dpi = dpiForWindow(static_cast<HWND>(parent));
        if (dpi == 0) {
            HDC screen = GetDC(nullptr);
            if (screen) {
                dpi = static_cast<UINT>(GetDeviceCaps(screen, LOGPIXELSX));
                ReleaseDC(nullptr, screen);
            }
        }
        return dpi > 0 ? dpi / 96.0 : 0.0;
    }

    std::unique_ptr<PlatformImage> loadBitmap(int resourceId) override {
        if (resourceId > resources::kLastBitmapId && resourceId <= 0xFFFF) return win32::loadScaledBitmap(resourceId);
        if (resourceId <= 0 || resourceId > 0xFFFF) return nullptr;
        // As a DIB section: the colours stay exact whatever the screen depth,
        // which colour-keyed blits depend on.
        HANDLE image =
            LoadImageA(win32::thisModule(), MAKEINTRESOURCEA(resourceId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
        if (!image) return nullptr;
        auto* bitmap = static_cast<HBITMAP>(image);
        BITMAP description{};
        if (!GetObjectA(bitmap, sizeof description, &description) || description.bmWidth <= 0 ||
            description.bmHeight == 0) {
            DeleteObject(bitmap);
            return nullptr;
        }
        const int height = description.bmHeight < 0 ? -description.bmHeight : description.bmHeight;
        return std::make_unique<win32::GdiImage>(bitmap, description.bmWidth, height);
    }

private:
    int servedPress_ = 0;  // the word of a press being served
};

}  // namespace

std::unique_ptr<Platform> createWin32Platform() { return std::make_unique<Win32Platform>(); }

}  // namespace velora::gui
