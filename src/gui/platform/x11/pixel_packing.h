// SPDX-License-Identifier: MIT
#pragma once
// Turns the software canvas's RGB pixels into the bytes of an X image for a
// TrueColor visual: the colour masks of the visual, 16, 24 or 32 bits per
// pixel in either byte order. Bits of the pixel outside the colour masks (the
// alpha of a 32-bit visual) are set, so such windows show opaque.
#include <cstdint>

#include "gui/software/pixel_image.h"

namespace velora::gui::x11 {

struct PixelLayout {
    std::uint32_t redMask = 0;
    std::uint32_t greenMask = 0;
    std::uint32_t blueMask = 0;
    int depth = 24;
    int bitsPerPixel = 32;
    bool mostSignificantFirst = false;

    // True when pixels can be packed for this layout.
    bool isSupported() const;
};

// Writes `area` of `image` (clipped to it) row by row into `out`, whose rows
// are `bytesPerLine` apart and which holds area.height() rows.
void packPixels(const PixelImage& image, const Rect& area, const PixelLayout& layout, std::uint8_t* out,
                int bytesPerLine);

}  // namespace velora::gui::x11
