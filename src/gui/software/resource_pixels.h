// SPDX-License-Identifier: MIT
#pragma once
// A bitmap resource of the module as an RGB image of the software canvas.
#include "gui/software/pixel_image.h"
#include "resources/bitmap_resource.h"

namespace velora::gui {

inline PixelImage pixelsOf(const resources::BitmapResource& resource) {
    PixelImage pixels(resource.width, resource.height);
    for (int y = 0; y < resource.height; ++y)
        for (int x = 0; x < resource.width; ++x) {
            const resources::Rgb c = resource.pixel(x, y);
            pixels.set(x, y, Colour{c.r, c.g, c.b});
        }
    return pixels;
}

}  // namespace velora::gui
