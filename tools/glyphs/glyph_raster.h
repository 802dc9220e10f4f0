// SPDX-License-Identifier: MIT
#pragma once
// Rasterises a TrueType face at a pixel height with FreeType into the
// toolkit's glyph form. Build machine only: the toolkit's generated fonts
// come from here, and build-time programs that draw text (the panel artwork)
// can rasterise the same faces at other heights.
#include <cstdint>
#include <string>
#include <vector>

#include "gui/software/glyph_font.h"

namespace velora::gui {

class RasterFont {
public:
    // Throws std::runtime_error when the face cannot be read.
    RasterFont(const std::string& fontFile, int pixelHeight, FontFamily family, bool bold);

    // A view that stays valid while this object lives.
    const GlyphFont& font() const { return font_; }
    const std::vector<Glyph>& glyphs() const { return glyphs_; }
    const std::vector<std::uint8_t>& coverage() const { return coverage_; }

private:
    std::vector<Glyph> glyphs_;
    std::vector<std::uint8_t> coverage_;
    GlyphFont font_{};
};

}  // namespace velora::gui
