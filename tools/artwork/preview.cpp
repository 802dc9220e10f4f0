// SPDX-License-Identifier: MIT
#include "preview.h"

#include <cmath>
#include <cstdio>
#include <numbers>

#include "editor_layout.h"
#include "png_writer.h"

namespace velora::artwork {

namespace {

constexpr Pixel kKey{255, 0, 255};
static_assert(sizeof(Pixel) == 3, "a row of pixels is written as one PNG row");

void blit(Image& target, const Image& source, int x, int y, int sourceTop, int rows, bool keyed) {
    for (int sy = 0; sy < rows; ++sy)
        for (int sx = 0; sx < source.width; ++sx) {
            const int tx = x + sx, ty = y + sy;
            if (tx < 0 || ty < 0 || tx >= target.width || ty >= target.height) continue;
            const Pixel p = source.at(sx, sourceTop + sy);
            if (!keyed || !(p == kKey)) target.at(tx, ty) = p;
        }
}

void drawSlider(Image& frame, const std::map<int, Image>& bitmaps, const ControlPlace& place) {
    const Rect& r = place.rect;
    blit(frame, bitmaps.at(place.bitmapId), r.left, r.top, 0, r.height(), false);
    const SliderTravel travel = sliderTravel(place);
    const bool vertical = place.kind == ControlKind::verticalSlider;
    const double f = vertical ? 1.0 - place.previewValue : place.previewValue;
    const int along = std::max(2, static_cast<int>(f * travel.range));
    if (vertical)
        blit(frame, bitmaps.at(10002), r.left + travel.across, r.top + along, 0, kHandleHeight, false);
    else
        blit(frame, bitmaps.at(10002), r.left + along, r.top + travel.across, 0, kHandleHeight, false);
}

void drawKnob(Image& frame, const std::map<int, Image>& bitmaps, const ControlPlace& place) {
    const Rect& r = place.rect;
    blit(frame, bitmaps.at(10030), r.left, r.top, 0, 21, true);
    // Value 0 at 225 degrees, 1 at -45, on a circle of radius 10.5 - 4.
    const double alpha = 1.25 * std::numbers::pi - place.previewValue * 1.5 * std::numbers::pi;
    const int x = static_cast<int>(10.5 + std::cos(alpha) * 6.5 + 0.5);
    const int y = static_cast<int>(10.5 - std::sin(alpha) * 6.5 + 0.5);
    blit(frame, bitmaps.at(10031), r.left + x - 1, r.top + y - 1, 0, 3, true);
}

}  // namespace

Image composePreview(const std::map<int, Image>& bitmaps, const FontText& text) {
    Image frame = bitmaps.at(10001);
    for (const ControlPlace& place : controlPlaces()) {
        const Rect& r = place.rect;
        switch (place.kind) {
        case ControlKind::verticalSlider:
        case ControlKind::horizontalSlider: drawSlider(frame, bitmaps, place); break;
        case ControlKind::knob: drawKnob(frame, bitmaps, place); break;
        case ControlKind::toggle:
            blit(frame, bitmaps.at(place.bitmapId), r.left, r.top, place.previewValue != 0 ? 8 : 0, 8, false);
            break;
        case ControlKind::plusButton:
        case ControlKind::minusButton:
            blit(frame, bitmaps.at(place.bitmapId), r.left, r.top, place.previewValue != 0 ? 9 : 0, 9, false);
            break;
        case ControlKind::statusField: {
            // The status text the editor shows, in the toolkit's 9-pixel font.
            Raster field(r.width(), r.height());
            text.draw(field, {Weight::regular, 9, rgb(255, 255, 255), 0}, r.width() / 2.0, 8, "0.350", Align::centre);
            blit(frame, quantise(field), r.left, r.top, 0, r.height(), false);
            break;
        }
        }
    }
    return frame;
}

bool writePng(const Image& image, const std::string& path) {
    static_assert(sizeof(Pixel) == 3, "a row of pixels is a row of RGB bytes");
    std::string error;
    return tools::writeRgbPng(image.width, image.height, reinterpret_cast<const std::uint8_t*>(image.pixels.data()),
                              path, error);
}

}  // namespace velora::artwork
