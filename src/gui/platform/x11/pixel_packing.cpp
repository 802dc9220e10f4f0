// SPDX-License-Identifier: MIT
#include "gui/platform/x11/pixel_packing.h"

#include <bit>

namespace velora::gui::x11 {
namespace {

struct Channel {
    int shift = 0;
    int bits = 0;

    explicit Channel(std::uint32_t mask) : shift(mask ? std::countr_zero(mask) : 0), bits(std::popcount(mask)) {}
    std::uint32_t place(std::uint8_t value) const {
        if (bits <= 0) return 0;
        const std::uint32_t scaled =
            bits >= 8 ? std::uint32_t{value} << (bits - 8) : std::uint32_t{value} >> (8 - bits);
        return scaled << shift;
    }
};

bool contiguous(std::uint32_t mask) {
    if (mask == 0) return false;
    const std::uint32_t low = mask >> std::countr_zero(mask);
    return (low & (low + 1)) == 0;
}

}  // namespace

bool PixelLayout::isSupported() const {
    const bool sized = bitsPerPixel == 16 || bitsPerPixel == 24 || bitsPerPixel == 32;
    return sized && depth > 0 && depth <= bitsPerPixel && contiguous(redMask) && contiguous(greenMask) &&
           contiguous(blueMask);
}

void packPixels(const PixelImage& image, const Rect& area, const PixelLayout& layout, std::uint8_t* out,
                int bytesPerLine) {
    if (!out || !layout.isSupported()) return;
    const Channel red(layout.redMask), green(layout.greenMask), blue(layout.blueMask);
    const std::uint32_t depthBits = layout.depth >= 32 ? 0xFFFFFFFFu : (1u << layout.depth) - 1u;
    const std::uint32_t opaque = depthBits & ~(layout.redMask | layout.greenMask | layout.blueMask);
    const int bytes = layout.bitsPerPixel / 8;
    const Rect visible = area.clippedTo(image.bounds());
    for (int y = visible.top; y < visible.bottom; ++y) {
        std::uint8_t* p = out + static_cast<std::ptrdiff_t>(y - area.top) * bytesPerLine +
                          static_cast<std::ptrdiff_t>(visible.left - area.left) * bytes;
        for (int x = visible.left; x < visible.right; ++x, p += bytes) {
            const Colour c = image.at(x, y);
            const std::uint32_t pixel = red.place(c.red) | green.place(c.green) | blue.place(c.blue) | opaque;
            for (int i = 0; i < bytes; ++i) {
                const int byte = layout.mostSignificantFirst ? bytes - 1 - i : i;
                p[i] = static_cast<std::uint8_t>(pixel >> (8 * byte));
            }
        }
    }
}

}  // namespace velora::gui::x11
