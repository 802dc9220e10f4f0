// SPDX-License-Identifier: MIT
#pragma once
// The sizes the editor is offered at. Geometry is laid out in 1x pixels and
// turned into window pixels by scaled(), the one place that multiplies.
#include <array>
#include <cmath>
#include <cstdint>

#include "gui/geometry.h"

namespace velora::gui {

// Percent of the 1x size; 100 is the editor pixel for pixel.
enum class Scale : std::int32_t { x100 = 100, x150 = 150, x200 = 200 };

inline constexpr std::array<Scale, 3> kScales = {Scale::x100, Scale::x150, Scale::x200};

constexpr int percentOf(Scale scale) { return static_cast<int>(scale); }
constexpr float factorOf(Scale scale) { return static_cast<float>(percentOf(scale)) / 100.0f; }

// A 1x length in window pixels, halves rounded away from zero.
constexpr std::int32_t scaled(std::int32_t length, Scale scale) {
    const std::int32_t magnitude = ((length < 0 ? -length : length) * percentOf(scale) + 50) / 100;
    return length < 0 ? -magnitude : magnitude;
}

constexpr Point scaled(Point p, Scale scale) { return {scaled(p.h, scale), scaled(p.v, scale)}; }

// The corner is scaled and then the size, so that every control of one size
// has one size at every scale (shared bitmaps fit them all).
constexpr Rect scaled(const Rect& r, Scale scale) {
    const std::int32_t left = scaled(r.left, scale), top = scaled(r.top, scale);
    return {left, top, left + scaled(r.right - r.left, scale), top + scaled(r.bottom - r.top, scale)};
}

// The offered scale nearest to a factor; 1 for anything not a positive
// finite number. Halfway factors go to the larger size.
inline Scale nearestScale(double factor) {
    if (!std::isfinite(factor) || factor <= 0.0) return Scale::x100;
    Scale best = Scale::x100;
    double bestDistance = 1e9;
    for (Scale s : kScales) {
        const double distance = std::fabs(factor - percentOf(s) / 100.0);
        if (distance <= bestDistance) {
            best = s;
            bestDistance = distance;
        }
    }
    return best;
}

// A percent as a scale; false for anything not offered.
constexpr bool scaleFromPercent(int percent, Scale& out) {
    for (Scale s : kScales)
        if (percentOf(s) == percent) {
            out = s;
            return true;
        }
    return false;
}

}  // namespace velora::gui
