// SPDX-License-Identifier: MIT
#include "gui/platform/win32/gdi_canvas.h"

#include "gui/platform/win32/gdi_colour.h"
#include "gui/platform/win32/gdi_font.h"

namespace velora::gui::win32 {
namespace {

RECT toRECT(const Rect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

// Narrows a blit to the pixels whose source lies inside the image; GDI
// would copy undefined pixels from beyond the bitmap's edge.
bool clipToImage(Rect& dest, Point& source, int width, int height) {
    const Rect inside = Rect{0, 0, width, height}.offset(dest.left - source.h, dest.top - source.v);
    const Rect visible = dest.clippedTo(inside);
    if (visible.isEmpty()) return false;
    source.h += visible.left - dest.left;
    source.v += visible.top - dest.top;
    dest = visible;
    return true;
}

// A memory context showing one bitmap for the length of a blit.
class SelectedBitmap {
public:
    SelectedBitmap(HDC compatible, HBITMAP bitmap) : dc_(CreateCompatibleDC(compatible)) {
        if (dc_) original_ = SelectObject(dc_, bitmap);
        if (original_ == HGDI_ERROR) original_ = nullptr;
    }
    ~SelectedBitmap() {
        if (!dc_) return;
        if (original_) SelectObject(dc_, original_);
        DeleteDC(dc_);
    }
    SelectedBitmap(const SelectedBitmap&) = delete;
    SelectedBitmap& operator=(const SelectedBitmap&) = delete;
    HDC get() const { return original_ ? dc_ : nullptr; }

private:
    HDC dc_;
    HGDIOBJ original_ = nullptr;
};

// Where the system has no transparent blit: a mask that is 1 where the
// source has the key colour, then dest ^ source, & mask, ^ source leaves
// dest under the key pixels and the source everywhere else.
void maskedBlit(HDC dest, const Rect& to, HDC source, Point from, COLORREF key) {
    const int width = to.width();
    const int height = to.height();
    HDC maskDc = CreateCompatibleDC(dest);
    HBITMAP mask = maskDc ? CreateBitmap(width, height, 1, 1, nullptr) : nullptr;
    if (!mask) {
        if (maskDc) DeleteDC(maskDc);
        return;
    }
    HGDIOBJ originalMask = SelectObject(maskDc, mask);
    const COLORREF sourceBack = SetBkColor(source, key);  // colour to mono: the background colour gives 1
    BitBlt(maskDc, 0, 0, width, height, source, from.h, from.v, SRCCOPY);
    SetBkColor(source, sourceBack);

    // Mono to colour: 1 takes the background colour, 0 the text colour.
    const COLORREF destBack = SetBkColor(dest, RGB(255, 255, 255));
    const COLORREF destText = SetTextColor(dest, RGB(0, 0, 0));
    BitBlt(dest, to.left, to.top, width, height, source, from.h, from.v, SRCINVERT);
    BitBlt(dest, to.left, to.top, width, height, maskDc, 0, 0, SRCAND);
    BitBlt(dest, to.left, to.top, width, height, source, from.h, from.v, SRCINVERT);
    SetBkColor(dest, destBack);
    SetTextColor(dest, destText);

    SelectObject(maskDc, originalMask);
    DeleteObject(mask);
    DeleteDC(maskDc);
}

UINT alignmentFormat(int alignment) {
    if (alignment == kAlignLeft) return DT_LEFT;
    if (alignment == kAlignRight) return DT_RIGHT;
    return DT_CENTER;
}

}  // namespace

GdiCanvas::GdiCanvas(HDC dc, const BlendLibrary* blend) : dc_(dc), blend_(blend) {}

GdiCanvas::~GdiCanvas() { releaseFont(); }

void GdiCanvas::releaseFont() {
    if (!font_) return;
    SelectObject(dc_, originalFont_);
    DeleteObject(font_);
    font_ = nullptr;
}

void GdiCanvas::drawImage(const PlatformImage& image, const Rect& dest, Point source) {
    const auto* bitmap = dynamic_cast<const GdiImage*>(&image);
    Rect to = dest;
    if (!bitmap || !clipToImage(to, source, bitmap->width(), bitmap->height())) return;
    SelectedBitmap from(dc_, bitmap->handle());
    if (!from.get()) return;
    BitBlt(dc_, to.left, to.top, to.width(), to.height(), from.get(), source.h, source.v, SRCCOPY);
}

void GdiCanvas::drawImageKeyed(const PlatformImage& image, const Rect& dest, Point source, Colour key) {
    const auto* bitmap = dynamic_cast<const GdiImage*>(&image);
    Rect to = dest;
    if (!bitmap || !clipToImage(to, source, bitmap->width(), bitmap->height())) return;
    SelectedBitmap from(dc_, bitmap->handle());
    if (!from.get()) return;
    const auto transparentBlt = blend_ ? blend_->transparentBlt() : nullptr;
    if (transparentBlt && transparentBlt(dc_, to.left, to.top, to.width(), to.height(), from.get(), source.h, source.v,
                                         to.width(), to.height(), toColorRef(key)))
        return;
    maskedBlit(dc_, to, from.get(), source, toColorRef(key));
}

void GdiCanvas::drawLine(Point from, Point to, Colour colour) {
    HPEN pen = CreatePen(PS_SOLID, 0, toColorRef(colour));
    if (!pen) return;
    HGDIOBJ original = SelectObject(dc_, pen);
    MoveToEx(dc_, from.h, from.v, nullptr);
    LineTo(dc_, to.h, to.v);
    SelectObject(dc_, original);
    DeleteObject(pen);
}

void GdiCanvas::fillRect(const Rect& rect, Colour colour) {
    if (rect.isEmpty()) return;
    HBRUSH brush = CreateSolidBrush(toColorRef(colour));
    if (!brush) return;
    const RECT area = toRECT(rect);
    FillRect(dc_, &area, brush);
    DeleteObject(brush);
}

void GdiCanvas::frameRect(const Rect& rect, Colour colour) {
    if (rect.isEmpty()) return;
    HBRUSH brush = CreateSolidBrush(toColorRef(colour));
    if (!brush) return;
    const RECT area = toRECT(rect);
    FrameRect(dc_, &area, brush);
    DeleteObject(brush);
}

void GdiCanvas::drawText(std::string_view text, const Rect& box, const TextStyle& style) {
    if (text.empty() || box.isEmpty()) return;
    if (!font_ || !sameFont(fontRequest_, style.font)) {
        HFONT font = createFont(style.font);
        if (!font) return;
        HGDIOBJ previous = SelectObject(dc_, font);
        if (font_) {
            DeleteObject(font_);
        } else {
            originalFont_ = previous;
        }
        font_ = font;
        fontRequest_ = style.font;
    }
    SetTextColor(dc_, toColorRef(style.colour));
    SetBkMode(dc_, style.paintBackground ? OPAQUE : TRANSPARENT);
    if (style.paintBackground) SetBkColor(dc_, toColorRef(style.background));
    RECT area = toRECT(box);
    constexpr std::size_t kLongest = 4096;  // one line in a control; more is never visible
    const int length = static_cast<int>(text.size() < kLongest ? text.size() : kLongest);
    DrawTextA(dc_, text.data(), length, &area,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | alignmentFormat(style.alignment));
}

std::unique_ptr<Canvas> GdiCanvas::createOffscreen(int width, int height) {
    return OffscreenCanvas::create(dc_, width, height, blend_);
}

void GdiCanvas::copyOffscreen(const Canvas& offscreen, const Rect& dest) {
    const auto* image = dynamic_cast<const OffscreenCanvas*>(&offscreen);
    Rect to = dest;
    Point source{};
    if (!image || !clipToImage(to, source, image->width(), image->height())) return;
    BitBlt(dc_, to.left, to.top, to.width(), to.height(), image->dc(), source.h, source.v, SRCCOPY);
}

WindowCanvas::~WindowCanvas() {
    releaseFont();
    ReleaseDC(window_, dc());
}

std::unique_ptr<OffscreenCanvas> OffscreenCanvas::create(HDC compatible, int width, int height,
                                                         const BlendLibrary* blend) {
    constexpr int kLargest = 1 << 14;
    if (width <= 0 || height <= 0 || width > kLargest || height > kLargest) return nullptr;
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = width;
    format.bmiHeader.biHeight = -height;  // top row first
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(compatible, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap) return nullptr;
    HDC dc = CreateCompatibleDC(compatible);
    if (!dc) {
        DeleteObject(bitmap);
        return nullptr;
    }
    return std::unique_ptr<OffscreenCanvas>(new OffscreenCanvas(dc, bitmap, bits, width, height, blend));
}

OffscreenCanvas::OffscreenCanvas(HDC dc, HBITMAP bitmap, void* bits, int width, int height, const BlendLibrary* blend)
    : GdiCanvas(dc, blend),
      bitmap_(bitmap),
      originalBitmap_(SelectObject(dc, bitmap)),
      bits_(static_cast<const std::uint32_t*>(bits)),
      width_(width),
      height_(height) {}

OffscreenCanvas::~OffscreenCanvas() {
    releaseFont();
    SelectObject(dc(), originalBitmap_);
    DeleteObject(bitmap_);
    DeleteDC(dc());
}

Colour OffscreenCanvas::pixel(int x, int y) const {
    if (!bits_ || x < 0 || y < 0 || x >= width_ || y >= height_) return kBlack;
    GdiFlush();
    const std::uint32_t value = bits_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + x];
    return {static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 8),
            static_cast<std::uint8_t>(value)};
}

}  // namespace velora::gui::win32
