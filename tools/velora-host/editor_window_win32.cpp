// SPDX-License-Identifier: MIT
#include <windows.h>

#include <cstdint>

#include "editor_window.h"

namespace velora::host {
namespace {

constexpr char kClassName[] = "VeloraHostEditorWindow";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) {
        // The session closes the editor first, then destroys the window.
        auto* open = reinterpret_cast<bool*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (open) *open = false;
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

bool registerClass() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = windowProcedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = kClassName;
    return RegisterClassA(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

class Win32EditorWindow final : public EditorWindow {
public:
    explicit Win32EditorWindow(HWND window) : window_(window) {
        SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&open_));
    }
    ~Win32EditorWindow() override { DestroyWindow(window_); }

    void* parentHandle() const override { return window_; }

    void resize(int width, int height) override {
        RECT outer{0, 0, width, height};
        AdjustWindowRect(&outer, kStyle, FALSE);
        SetWindowPos(window_, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    void screenPosition(int& x, int& y) const override {
        POINT corner{0, 0};
        ClientToScreen(window_, &corner);
        x = corner.x;
        y = corner.y;
    }

    // The editor's child window gets its input through this thread's queue:
    // dispatch it when it comes, as a host's message loop does.
    void waitForEvents(int milliseconds) override {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(milliseconds), QS_ALLINPUT);
    }

    bool serveEvents() override {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) open_ = false;
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        return open_;
    }

    // BitBlt from the window's client area: the editor is a child window
    // and shows in it.
    bool grab(RgbImage& image) override {
        RECT client{};
        GetClientRect(window_, &client);
        const int width = client.right, height = client.bottom;
        if (width <= 0 || height <= 0) return false;
        HDC windowDc = GetDC(window_);
        HDC memoryDc = CreateCompatibleDC(windowDc);
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;  // top-down rows
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        HBITMAP bitmap = CreateDIBSection(windowDc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        bool ok = bitmap != nullptr;
        if (ok) {
            HGDIOBJ old = SelectObject(memoryDc, bitmap);
            ok = BitBlt(memoryDc, 0, 0, width, height, windowDc, 0, 0, SRCCOPY) != 0;
            GdiFlush();
            if (ok) copyPixels(static_cast<const std::uint8_t*>(bits), width, height, image);
            SelectObject(memoryDc, old);
            DeleteObject(bitmap);
        }
        DeleteDC(memoryDc);
        ReleaseDC(window_, windowDc);
        return ok;
    }

private:
    static void copyPixels(const std::uint8_t* bgrx, int width, int height, RgbImage& image) {
        image.width = width;
        image.height = height;
        const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
        image.rgb.resize(count * 3);
        for (std::size_t i = 0; i < count; ++i) {
            image.rgb[i * 3] = bgrx[i * 4 + 2];
            image.rgb[i * 3 + 1] = bgrx[i * 4 + 1];
            image.rgb[i * 3 + 2] = bgrx[i * 4];
        }
    }

    HWND window_;
    bool open_ = true;
};

}  // namespace

std::unique_ptr<EditorWindow> EditorWindow::create(const std::string& title, int width, int height,
                                                   std::string& error) {
    if (!registerClass()) {
        error = "cannot register the editor window's class";
        return nullptr;
    }
    RECT outer{0, 0, width, height};
    AdjustWindowRect(&outer, kStyle, FALSE);
    HWND window = CreateWindowExA(0, kClassName, title.c_str(), kStyle, 0, 0, outer.right - outer.left,
                                  outer.bottom - outer.top, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!window) {
        error = "cannot create the editor window";
        return nullptr;
    }
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    return std::make_unique<Win32EditorWindow>(window);
}

}  // namespace velora::host
