// SPDX-License-Identifier: MIT
#include "gui/software/glyph_font.h"

#include <cstdlib>

namespace velora::gui {

int GlyphFont::textWidth(std::string_view text) const {
    int width = 0;
    for (char c : text) width += glyph(c).advance;
    return width;
}

const GlyphFont& builtInFont(const FontRequest& request) {
    const std::span<const GlyphFont> fonts = builtInFonts();
    const GlyphFont* best = &fonts.front();
    int bestScore = 1 << 30;
    for (const GlyphFont& font : fonts) {
        // Family first, then weight, then the height (a smaller one before a
        // larger one at the same distance).
        const int distance = std::abs(font.pixelHeight - request.pixelHeight);
        const int score = (font.family != request.family) * 100000 + (font.bold != request.bold) * 1000 + distance * 2 +
                          (font.pixelHeight > request.pixelHeight);
        if (score < bestScore) {
            bestScore = score;
            best = &font;
        }
    }
    return *best;
}

}  // namespace velora::gui
