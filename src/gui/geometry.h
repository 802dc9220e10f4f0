// SPDX-License-Identifier: MIT
#pragma once
// Points, rectangles and colours in frame pixels. A rectangle spans
// left..right and top..bottom; it covers right - left by bottom - top pixels
// when drawn, while hit tests include the right and bottom edges.
#include <cstdint>

namespace velora::gui {

struct Point {
    std::int32_t h = 0;
    std::int32_t v = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Rect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;

    std::int32_t width() const { return right - left; }
    std::int32_t height() const { return bottom - top; }
    Point topLeft() const { return {left, top}; }
    bool isEmpty() const { return right <= left || bottom <= top; }

    // Edges included, as the mouse hit tests want.
    bool contains(Point p) const { return p.h >= left && p.h <= right && p.v >= top && p.v <= bottom; }
    bool intersects(const Rect& other) const {
        return left <= other.right && other.left <= right && top <= other.bottom && other.top <= bottom;
    }
    Rect offset(std::int32_t dh, std::int32_t dv) const { return {left + dh, top + dv, right + dh, bottom + dv}; }
    // The pixels both half-open rectangles cover; empty when they are apart.
    Rect clippedTo(const Rect& other) const {
        Rect r{left > other.left ? left : other.left, top > other.top ? top : other.top,
               right < other.right ? right : other.right, bottom < other.bottom ? bottom : other.bottom};
        if (r.right < r.left) r.right = r.left;
        if (r.bottom < r.top) r.bottom = r.top;
        return r;
    }
    friend bool operator==(const Rect&, const Rect&) = default;
};

inline Rect rectAt(Point topLeft, std::int32_t width, std::int32_t height) {
    return {topLeft.h, topLeft.v, topLeft.h + width, topLeft.v + height};
}

struct Colour {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    friend bool operator==(const Colour&, const Colour&) = default;
};

inline constexpr Colour kWhite{255, 255, 255};
inline constexpr Colour kBlack{0, 0, 0};
inline constexpr Colour kGrey{127, 127, 127};
inline constexpr Colour kRed{255, 0, 0};
inline constexpr Colour kMagenta{255, 0, 255};

}  // namespace velora::gui
