// SPDX-License-Identifier: MIT
#include "raster.h"

#include <algorithm>
#include <cmath>

#include "gui/scale.h"

namespace velora::artwork {

Colour mix(Colour a, Colour b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Colour scale(Colour c, double factor) {
    return {std::clamp(c.r * factor, 0.0, 1.0), std::clamp(c.g * factor, 0.0, 1.0), std::clamp(c.b * factor, 0.0, 1.0)};
}

namespace {

gui::Scale scaleOf(int percent) {
    gui::Scale scale = gui::Scale::x100;
    gui::scaleFromPercent(percent, scale);
    return scale;
}

}  // namespace

Raster::Raster(int width, int height, Colour fill, int percent)
    : width_(std::max(gui::scaled(width, scaleOf(percent)), 0)),
      height_(std::max(gui::scaled(height, scaleOf(percent)), 0)),
      percent_(gui::percentOf(scaleOf(percent))),
      pixels_(static_cast<std::size_t>(width_) * height_, fill) {}

Rect Raster::toPixels(const Rect& area) const {
    const gui::Rect r = gui::scaled(gui::Rect{area.left, area.top, area.right, area.bottom}, scaleOf(percent_));
    return {r.left, r.top, r.right, r.bottom};
}

void Raster::setCell(int x, int y, Colour c) {
    if (percent_ == 100) {
        if (contains(x, y)) set(x, y, c);
        return;
    }
    const Rect cell = toPixels({x, y, x + 1, y + 1});
    for (int py = cell.top; py < cell.bottom; ++py)
        for (int px = cell.left; px < cell.right; ++px)
            if (contains(px, py)) set(px, py, c);
}

void Raster::blend(int x, int y, Colour c, double coverage) {
    if (coverage <= 0.0 || !contains(x, y)) return;
    Colour& p = pixels_[index(x, y)];
    p = mix(p, c, std::min(coverage, 1.0));
}

void Raster::fill(const Rect& bounds, const Shape& shape, const Paint& paint, double opacity) {
    const double f = factor();
    const int left = std::max(static_cast<int>(std::floor(bounds.left * f)), 0);
    const int right = std::min(static_cast<int>(std::ceil(bounds.right * f)), width_);
    const int top = std::max(static_cast<int>(std::floor(bounds.top * f)), 0);
    const int bottom = std::min(static_cast<int>(std::ceil(bounds.bottom * f)), height_);
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            const double cx = (x + 0.5) / f, cy = (y + 0.5) / f;
            // Distance 0 at the pixel centre means half the pixel is inside;
            // distances are in 1x pixels, coverage in the raster's.
            const double coverage = std::clamp(0.5 - shape(cx, cy) * f, 0.0, 1.0);
            if (coverage > 0.0) blend(x, y, paint(cx, cy), coverage * opacity);
        }
    }
}

void Raster::fill(const Rect& bounds, const Shape& shape, Colour colour, double opacity) {
    fill(
        bounds, shape, [colour](double, double) { return colour; }, opacity);
}

Raster Raster::crop(const Rect& area) const {
    Raster out(area.width(), area.height(), {}, percent_);
    const Rect from = toPixels(area);
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x)
            if (contains(from.left + x, from.top + y)) out.set(x, y, at(from.left + x, from.top + y));
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
