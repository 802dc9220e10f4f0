// SPDX-License-Identifier: MIT
#pragma once
// Draws one line of pre-rasterised text into a pixel image: grey-level
// coverage blended over what is there, in exact integer arithmetic so that
// every build gives the same pixels.
#include <string_view>

#include "gui/canvas.h"
#include "gui/software/glyph_font.h"
#include "gui/software/pixel_image.h"

namespace velora::gui {

// Text in `box` (image coordinates), vertically centred, aligned as the
// style asks, clipped to `box` and to `clip`.
void paintText(PixelImage& image, const Rect& clip, std::string_view text, const Rect& box, const GlyphFont& font,
               const TextStyle& style);

// Blends `colour` over the pixel with a coverage of 0..255.
Colour blend(Colour under, Colour colour, int coverage);

}  // namespace velora::gui
