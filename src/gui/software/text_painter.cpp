// SPDX-License-Identifier: MIT
#include "gui/software/text_painter.h"

namespace velora::gui {
namespace {

std::uint8_t mix(std::uint8_t under, std::uint8_t over, int coverage) {
    return static_cast<std::uint8_t>((under * (255 - coverage) + over * coverage + 127) / 255);
}

void fillClipped(PixelImage& image, const Rect& area, Colour colour) {
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x) image.set(x, y, colour);
}

void paintGlyph(PixelImage& image, const Rect& clip, const GlyphFont& font, const Glyph& glyph, Point pen,
                Colour colour) {
    const int left = pen.h + glyph.left;
    const int top = pen.v - glyph.top;
    const Rect area = rectAt({left, top}, glyph.width, glyph.height).clippedTo(clip);
    for (int y = area.top; y < area.bottom; ++y) {
        const std::uint8_t* row = font.coverage + glyph.offset + static_cast<std::size_t>(y - top) * glyph.width;
        for (int x = area.left; x < area.right; ++x) {
            const int coverage = row[x - left];
            if (coverage != 0) image.set(x, y, blend(image.at(x, y), colour, coverage));
        }
    }
}

}  // namespace

Colour blend(Colour under, Colour colour, int coverage) {
    if (coverage >= 255) return colour;
    return {mix(under.red, colour.red, coverage), mix(under.green, colour.green, coverage),
            mix(under.blue, colour.blue, coverage)};
}

void paintText(PixelImage& image, const Rect& clip, std::string_view text, const Rect& box, const GlyphFont& font,
               const TextStyle& style) {
    const Rect limits = box.clippedTo(clip).clippedTo(image.bounds());
    if (limits.isEmpty() || text.empty()) return;
    const int width = font.textWidth(text);
    int x = box.left;
    if (style.alignment == kAlignCentre)
        x = box.left + (box.width() - width) / 2;
    else if (style.alignment == kAlignRight)
        x = box.right - width;
    const int top = box.top + (box.height() - font.lineHeight()) / 2;
    const int baseline = top + font.ascent;

    if (style.paintBackground)
        fillClipped(image, Rect{x, top, x + width, top + font.lineHeight()}.clippedTo(limits), style.background);
    Point pen{x, baseline};
    for (char c : text) {
        const Glyph& glyph = font.glyph(c);
        paintGlyph(image, limits, font, glyph, pen, style.colour);
        pen.h += glyph.advance;
    }
    if (style.font.underline) {
        const int lineTop = baseline + font.underlineOffset;
        fillClipped(image, Rect{x, lineTop, x + width, lineTop + font.underlineThickness}.clippedTo(limits),
                    style.colour);
    }
}

}  // namespace velora::gui
