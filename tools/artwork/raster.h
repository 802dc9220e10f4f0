// SPDX-License-Identifier: MIT
#pragma once
// The drawing surface of the artwork: a floating-point RGB image that shapes
// are blended into with anti-aliased coverage, and the 8-bit image that the
// bitmap files are made of.
#include <cstdint>
#include <functional>
#include <vector>

namespace velora::artwork {

struct Colour {
    double r = 0, g = 0, b = 0;
};

constexpr Colour rgb(int r, int g, int b) { return {r / 255.0, g / 255.0, b / 255.0}; }
Colour mix(Colour a, Colour b, double t);
Colour scale(Colour c, double factor);

// The colour a bitmap marks as "not drawn".
constexpr Colour kMagenta = rgb(255, 0, 255);

struct Pixel {
    std::uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Pixel&, const Pixel&) = default;
};

struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;  // right and bottom exclusive
    int width() const { return right - left; }
    int height() const { return bottom - top; }
};

// Signed distance from a point to a shape's outline, negative inside.
using Shape = std::function<double(double x, double y)>;
// Colour of a fill at a point (gradients).
using Paint = std::function<Colour(double x, double y)>;

// Drawing happens in 1x pixels: a raster of a larger size (percent 150, 200)
// holds more pixels for the same area and evaluates every shape at its own
// pixel centres, so edges stay one window pixel soft at every size.
class Raster {
public:
    // Width and height in 1x pixels.
    Raster(int width, int height, Colour fill = {}, int percent = 100);

    // In the raster's own pixels.
    int width() const { return width_; }
    int height() const { return height_; }
    int percent() const { return percent_; }
    double factor() const { return percent_ / 100.0; }
    // A 1x rectangle in the raster's pixels, as the editor scales it.
    Rect toPixels(const Rect& area) const;
    Colour at(int x, int y) const { return pixels_[index(x, y)]; }
    void set(int x, int y, Colour c) { pixels_[index(x, y)] = c; }
    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }

    // Blends c over the pixel with the given coverage (0 leaves it untouched).
    void blend(int x, int y, Colour c, double coverage);
    // One 1x pixel set to a colour (hand-laid pixel art).
    void setCell(int x, int y, Colour c);
    // Fills a shape inside the bounding box (both in 1x pixels),
    // anti-aliased over one pixel of the raster.
    void fill(const Rect& bounds, const Shape& shape, const Paint& paint, double opacity = 1.0);
    void fill(const Rect& bounds, const Shape& shape, Colour colour, double opacity = 1.0);

    // The 1x area, at the raster's size.
    Raster crop(const Rect& area) const;
    void paste(const Raster& source, int x, int y);

private:
    std::size_t index(int x, int y) const { return static_cast<std::size_t>(y) * width_ + x; }
    int width_;
    int height_;
    int percent_;
    std::vector<Colour> pixels_;
};

// 8-bit image, rows top first.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<Pixel> pixels;

    Pixel at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
    Pixel& at(int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

Image quantise(const Raster& raster);
Image stackFrames(const Image& top, const Image& bottom);

}  // namespace velora::artwork
