// SPDX-License-Identifier: MIT
#pragma once
// Pre-rasterised fonts: for each printable ASCII character an 8-bit coverage
// image placed against the baseline, with integer advances. The toolkit's
// fonts are generated at build time (see tools/glyphs); a build-time program
// may rasterise further ones into the same form.
#include <cstdint>
#include <span>
#include <string_view>

#include "gui/font_table.h"

namespace velora::gui {

inline constexpr int kFirstGlyph = 32;
inline constexpr int kLastGlyph = 126;
inline constexpr int kGlyphCount = kLastGlyph - kFirstGlyph + 1;

struct Glyph {
    std::int16_t advance;  // pixels to the next pen position
    std::int16_t left;     // coverage image's left edge from the pen
    std::int16_t top;      // its top edge above the baseline
    std::uint16_t width;
    std::uint16_t height;
    std::uint32_t offset;  // into GlyphFont::coverage, row by row
};

struct GlyphFont {
    FontFamily family;
    bool bold;
    std::int16_t pixelHeight;      // em height
    std::int16_t ascent;           // line above the baseline
    std::int16_t descent;          // line below it
    std::int16_t underlineOffset;  // below the baseline
    std::int16_t underlineThickness;
    const Glyph* glyphs;  // kGlyphCount of them, from kFirstGlyph on
    const std::uint8_t* coverage;

    // Characters outside the printable ASCII range show as '?'.
    const Glyph& glyph(char c) const {
        const int code = static_cast<unsigned char>(c);
        return glyphs[(code >= kFirstGlyph && code <= kLastGlyph ? code : '?') - kFirstGlyph];
    }
    int lineHeight() const { return ascent + descent; }
    int textWidth(std::string_view text) const;
};

// The fonts generated into the toolkit.
std::span<const GlyphFont> builtInFonts();

// The built-in font closest to a font of the table: the same family and
// weight at the pixel height, else the nearest height (smaller first).
const GlyphFont& builtInFont(const FontRequest& request);

}  // namespace velora::gui
