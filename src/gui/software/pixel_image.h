// SPDX-License-Identifier: MIT
#pragma once
// A 24-bit RGB image in memory, row by row from the top.
#include <cstdint>
#include <vector>

#include "gui/geometry.h"

namespace velora::gui {

class PixelImage {
public:
    PixelImage() = default;
    PixelImage(int width, int height, Colour fill = kBlack)
        : width_(width > 0 ? width : 0),
          height_(height > 0 ? height : 0),
          bytes_(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_) * 3) {
        this->fill(fill);
    }

    int width() const { return width_; }
    int height() const { return height_; }
    Rect bounds() const { return {0, 0, width_, height_}; }
    bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }

    // Callers stay inside the image.
    Colour at(int x, int y) const {
        const std::uint8_t* p = &bytes_[index(x, y)];
        return {p[0], p[1], p[2]};
    }
    void set(int x, int y, Colour colour) {
        std::uint8_t* p = &bytes_[index(x, y)];
        p[0] = colour.red;
        p[1] = colour.green;
        p[2] = colour.blue;
    }
    // Byte by byte over the whole buffer: the same pixels as set() on each,
    // in a form GCC 12 does not mistake for an overflow on tiny images.
    void fill(Colour colour) {
        const std::uint8_t channels[3] = {colour.red, colour.green, colour.blue};
        for (std::size_t i = 0; i < bytes_.size(); ++i) bytes_[i] = channels[i % 3];
    }

    // Red, green, blue bytes of every pixel, row by row.
    const std::vector<std::uint8_t>& bytes() const { return bytes_; }

private:
    std::size_t index(int x, int y) const {
        return (static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x)) * 3;
    }

    int width_ = 0;
    int height_ = 0;
    std::vector<std::uint8_t> bytes_;
};

}  // namespace velora::gui
