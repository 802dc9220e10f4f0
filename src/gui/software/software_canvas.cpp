// SPDX-License-Identifier: MIT
#include "gui/software/software_canvas.h"

#include <cstdlib>

#include "gui/software/glyph_font.h"
#include "gui/software/text_painter.h"

namespace velora::gui {

SoftwareCanvas::SoftwareCanvas(PixelImage& target, Point origin)
    : target_(&target), origin_(origin), clip_(target.bounds()) {}

SoftwareCanvas::SoftwareCanvas(int width, int height)
    : owned_(std::make_unique<PixelImage>(width, height)), target_(owned_.get()), clip_(owned_->bounds()) {}

void SoftwareCanvas::setClip(const Rect& area) { clip_ = toImage(area).clippedTo(target_->bounds()); }

void SoftwareCanvas::plot(int x, int y, Colour colour) {
    if (x >= clip_.left && x < clip_.right && y >= clip_.top && y < clip_.bottom) target_->set(x, y, colour);
}

void SoftwareCanvas::copyPixels(const PixelImage& from, const Rect& dest, Point source, const Colour* key) {
    const Rect area = toImage(dest);
    // Only what lies inside the source image, the destination and the clip.
    const Rect sourceArea = from.bounds().offset(area.left - source.h, area.top - source.v);
    const Rect visible = area.clippedTo(clip_).clippedTo(sourceArea);
    for (int y = visible.top; y < visible.bottom; ++y) {
        for (int x = visible.left; x < visible.right; ++x) {
            const Colour c = from.at(x - area.left + source.h, y - area.top + source.v);
            if (!key || c != *key) target_->set(x, y, c);
        }
    }
}

void SoftwareCanvas::drawImage(const PlatformImage& image, const Rect& dest, Point source) {
    if (auto* own = dynamic_cast<const SoftwareImage*>(&image)) copyPixels(own->pixels(), dest, source, nullptr);
}

void SoftwareCanvas::drawImageKeyed(const PlatformImage& image, const Rect& dest, Point source, Colour key) {
    if (auto* own = dynamic_cast<const SoftwareImage*>(&image)) copyPixels(own->pixels(), dest, source, &key);
}

void SoftwareCanvas::drawLine(Point from, Point to, Colour colour) {
    // Bresenham from `from` towards `to`, leaving out `to` itself.
    int x = from.h - origin_.h;
    int y = from.v - origin_.v;
    const int endX = to.h - origin_.h;
    const int endY = to.v - origin_.v;
    const int dx = std::abs(endX - x);
    const int dy = -std::abs(endY - y);
    const int stepX = x < endX ? 1 : -1;
    const int stepY = y < endY ? 1 : -1;
    int error = dx + dy;
    // Lines far outside any image are not walked pixel by pixel.
    if (dx > 1 << 16 || -dy > 1 << 16) return;
    while (x != endX || y != endY) {
        plot(x, y, colour);
        const int twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            x += stepX;
        }
        if (twice <= dx) {
            error += dx;
            y += stepY;
        }
    }
}

void SoftwareCanvas::fillRect(const Rect& rect, Colour colour) {
    const Rect area = toImage(rect).clippedTo(clip_);
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x) target_->set(x, y, colour);
}

void SoftwareCanvas::frameRect(const Rect& rect, Colour colour) {
    if (rect.isEmpty()) return;
    fillRect({rect.left, rect.top, rect.right, rect.top + 1}, colour);
    fillRect({rect.left, rect.bottom - 1, rect.right, rect.bottom}, colour);
    fillRect({rect.left, rect.top, rect.left + 1, rect.bottom}, colour);
    fillRect({rect.right - 1, rect.top, rect.right, rect.bottom}, colour);
}

void SoftwareCanvas::drawText(std::string_view text, const Rect& box, const TextStyle& style) {
    drawText(text, box, style, builtInFont(style.font));
}

void SoftwareCanvas::drawText(std::string_view text, const Rect& box, const TextStyle& style, const GlyphFont& font) {
    paintText(*target_, clip_, text, toImage(box), font, style);
}

std::unique_ptr<Canvas> SoftwareCanvas::createOffscreen(int width, int height) {
    return std::make_unique<SoftwareCanvas>(width, height);
}

void SoftwareCanvas::copyOffscreen(const Canvas& offscreen, const Rect& dest) {
    if (auto* own = dynamic_cast<const SoftwareCanvas*>(&offscreen)) copyPixels(own->image(), dest, {}, nullptr);
}

}  // namespace velora::gui
