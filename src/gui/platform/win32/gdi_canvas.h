// SPDX-License-Identifier: MIT
#pragma once
// The toolkit's canvas on a GDI device context: a paint pass, the window's
// own context, or an off-screen image. Frame coordinates are the window's
// client coordinates, so no translation is needed; GDI's own conventions
// (lines without their last pixel, fills without right and bottom edges)
// are the toolkit's.
#include <windows.h>

#include <cstdint>
#include <memory>

#include "gui/canvas.h"
#include "gui/platform/win32/blend_library.h"

namespace velora::gui::win32 {

// A bitmap of the module, or any bitmap handle the image then owns.
class GdiImage : public PlatformImage {
public:
    GdiImage(HBITMAP bitmap, int width, int height) : bitmap_(bitmap), width_(width), height_(height) {}
    ~GdiImage() override { DeleteObject(bitmap_); }
    GdiImage(const GdiImage&) = delete;
    GdiImage& operator=(const GdiImage&) = delete;

    int width() const override { return width_; }
    int height() const override { return height_; }
    HBITMAP handle() const { return bitmap_; }

private:
    HBITMAP bitmap_;
    int width_;
    int height_;
};

// Draws on a context it does not own. `blend` may be null (keyed blits then
// go through a mask) and must outlive the canvas.
class GdiCanvas : public Canvas {
public:
    GdiCanvas(HDC dc, const BlendLibrary* blend);
    ~GdiCanvas() override;
    GdiCanvas(const GdiCanvas&) = delete;
    GdiCanvas& operator=(const GdiCanvas&) = delete;

    HDC dc() const { return dc_; }

    void drawImage(const PlatformImage& image, const Rect& dest, Point source) override;
    void drawImageKeyed(const PlatformImage& image, const Rect& dest, Point source, Colour key) override;
    void drawLine(Point from, Point to, Colour colour) override;
    void fillRect(const Rect& rect, Colour colour) override;
    void frameRect(const Rect& rect, Colour colour) override;
    void drawText(std::string_view text, const Rect& box, const TextStyle& style) override;
    std::unique_ptr<Canvas> createOffscreen(int width, int height) override;
    void copyOffscreen(const Canvas& offscreen, const Rect& dest) override;

protected:
    // Subclasses that own the context let go of it after this.
    void releaseFont();

private:
    HDC dc_;
    const BlendLibrary* blend_;
    // The font of the last text, kept for the next one.
    HFONT font_ = nullptr;
    HGDIOBJ originalFont_ = nullptr;
    FontRequest fontRequest_;
};

// The window's context, from GetDC, given back on destruction.
class WindowCanvas : public GdiCanvas {
public:
    WindowCanvas(HWND window, HDC dc, const BlendLibrary* blend) : GdiCanvas(dc, blend), window_(window) {}
    ~WindowCanvas() override;

private:
    HWND window_;
};

// An image of its own: a 32-bit DIB in a memory context, origin at 0, 0.
class OffscreenCanvas : public GdiCanvas {
public:
    // Null when the system cannot make the image.
    static std::unique_ptr<OffscreenCanvas> create(HDC compatible, int width, int height, const BlendLibrary* blend);
    ~OffscreenCanvas() override;

    int width() const { return width_; }
    int height() const { return height_; }
    // The pixel at x, y (black outside), for checks.
    Colour pixel(int x, int y) const;

private:
    OffscreenCanvas(HDC dc, HBITMAP bitmap, void* bits, int width, int height, const BlendLibrary* blend);

    HBITMAP bitmap_;
    HGDIOBJ originalBitmap_;
    const std::uint32_t* bits_;
    int width_;
    int height_;
};

}  // namespace velora::gui::win32
