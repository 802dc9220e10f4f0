// SPDX-License-Identifier: MIT
#include "raster.h"

#include <algorithm>
#include <cmath>

namespace velora::artwork {

Colour mix(Colour a, Colour b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Colour scale(Colour c, double factor) {
    return {std::clamp(c.r * factor, 0.0, 1.0), std::clamp(c.g * factor, 0.0, 1.0), std::clamp(c.b * factor, 0.0, 1.0)};
}

Raster::Raster(int width, int height, Colour fill)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      pixels_(static_cast<std::size_t>(width_) * height_, fill) {}

void Raster::blend(int x, int y, Colour c, double coverage) {
    if (coverage <= 0.0 || !contains(x, y)) return;
    Colour& p = pixels_[index(x, y)];
    p = mix(p, c, std::min(coverage, 1.0));
}

void Raster::fill(const Rect& bounds, const Shape& shape, const Paint& paint, double opacity) {
    const int left = std::max(bounds.left, 0), right = std::min(bounds.right, width_);
    const int top = std::max(bounds.top, 0), bottom = std::min(bounds.bottom, height_);
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            const double cx = x + 0.5, cy = y + 0.5;
            // Distance 0 at the pixel centre means half the pixel is inside.
            const double coverage = std::clamp(0.5 - shape(cx, cy), 0.0, 1.0);
            if (coverage > 0.0) blend(x, y, paint(cx, cy), coverage * opacity);
        }
    }
}

void Raster::fill(const Rect& bounds, const Shape& shape, Colour colour, double opacity) {
    fill(
        bounds, shape, [colour](double, double) { return colour; }, opacity);
}

Raster Raster::crop(const Rect& area) const {
    Raster out(area.width(), area.height());
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x)
            if (contains(area.left + x, area.top + y)) out.set(x, y, at(area.left + x, area.top + y));
    return out;
}

void Raster::paste(const Raster& source, int x, int y) {
    for (int sy = 0; sy < source.height(); ++sy)
        for (int sx = 0; sx < source.width(); ++sx)
            if (contains(x + sx, y + sy)) set(x + sx, y + sy, source.at(sx, sy));
}

static std::uint8_t toByte(double v) { return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255.0)); }

Image quantise(const Raster& raster) {
    Image image{raster.width(), raster.height(), {}};
    image.pixels.reserve(static_cast<std::size_t>(image.width) * image.height);
    for (int y = 0; y < raster.height(); ++y)
        for (int x = 0; x < raster.width(); ++x) {
            const Colour c = raster.at(x, y);
            image.pixels.push_back({toByte(c.r), toByte(c.g), toByte(c.b)});
        }
    return image;
}

Image stackFrames(const Image& top, const Image& bottom) {
    Image both{top.width, top.height + bottom.height, top.pixels};
    both.pixels.insert(both.pixels.end(), bottom.pixels.begin(), bottom.pixels.end());
    return both;
}

}  // namespace velora::artwork
