// SPDX-License-Identifier: MIT
#pragma once
// Signed-distance outlines of the shapes the artwork is drawn from.
#include <algorithm>
#include <cmath>

#include "raster.h"

namespace velora::artwork::shapes {

inline Shape circle(double cx, double cy, double radius) {
    return [=](double x, double y) { return std::hypot(x - cx, y - cy) - radius; };
}

// Rectangle with corners rounded by radius; edges in pixel coordinates
// (a rectangle 0, 0, 4, 4 covers pixels 0..3 exactly).
inline Shape roundRect(double left, double top, double right, double bottom, double radius) {
    const double cx = (left + right) / 2, cy = (top + bottom) / 2;
    const double hx = (right - left) / 2 - radius, hy = (bottom - top) / 2 - radius;
    return [=](double x, double y) {
        const double qx = std::abs(x - cx) - hx, qy = std::abs(y - cy) - hy;
        return std::hypot(std::max(qx, 0.0), std::max(qy, 0.0)) + std::min(std::max(qx, qy), 0.0) - radius;
    };
}

inline Shape rect(double left, double top, double right, double bottom) {
    return roundRect(left, top, right, bottom, 0.0);
}

// Line from (x0, y0) to (x1, y1) with round ends, width 2 * halfWidth.
inline Shape segment(double x0, double y0, double x1, double y1, double halfWidth) {
    return [=](double x, double y) {
        const double dx = x1 - x0, dy = y1 - y0;
        const double length2 = dx * dx + dy * dy;
        const double t = length2 > 0 ? std::clamp(((x - x0) * dx + (y - y0) * dy) / length2, 0.0, 1.0) : 0.0;
        return std::hypot(x - (x0 + t * dx), y - (y0 + t * dy)) - halfWidth;
    };
}

// The part of a that lies outside b.
inline Shape minus(Shape a, Shape b) {
    return [=](double x, double y) { return std::max(a(x, y), -b(x, y)); };
}

// The outline band of a shape, width 2 * halfWidth centred on the edge.
inline Shape outline(Shape a, double halfWidth) {
    return [=](double x, double y) { return std::abs(a(x, y)) - halfWidth; };
}

inline Shape shifted(Shape a, double dx, double dy) {
    return [=](double x, double y) { return a(x - dx, y - dy); };
}

// Paint helpers.
inline Paint vertical(Colour top, Colour bottom, double y0, double y1) {
    return [=](double, double y) { return mix(top, bottom, std::clamp((y - y0) / (y1 - y0), 0.0, 1.0)); };
}

inline Paint horizontal(Colour left, Colour right, double x0, double x1) {
    return [=](double x, double) { return mix(left, right, std::clamp((x - x0) / (x1 - x0), 0.0, 1.0)); };
}

}  // namespace velora::artwork::shapes
