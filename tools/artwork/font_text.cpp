// SPDX-License-Identifier: MIT
#include "font_text.h"

#include <cmath>
#include <map>
#include <stdexcept>
#include <utility>

#include "glyph_raster.h"
#include "gui/scale.h"

namespace velora::artwork {

// The toolkit's own rasteriser, one font per weight and height, made when
// first asked for: panel labels and run-time text come from the same glyphs.
struct FontText::Library {
    std::string regularFile;
    std::string boldFile;
    std::map<std::pair<bool, int>, std::unique_ptr<gui::RasterFont>> fonts;

    const gui::GlyphFont* font(const TextStyle& style) {
        const bool bold = style.weight == Weight::bold;
        auto& slot = fonts[{bold, style.pixelHeight}];
        if (!slot) {
            try {
                slot = std::make_unique<gui::RasterFont>(bold ? boldFile : regularFile, style.pixelHeight,
                                                         gui::FontFamily::Sans, bold);
            } catch (const std::runtime_error&) {
                return nullptr;
            }
        }
        return &slot->font();
    }
};

FontText::FontText(const std::string& regularFile, const std::string& boldFile)
    : library_(new Library{regularFile, boldFile, {}}) {}

FontText::~FontText() = default;

bool FontText::ready() const {
    const TextStyle regular{}, bold{.weight = Weight::bold};
    return library_->font(regular) && library_->font(bold);
}

int FontText::width(const TextStyle& style, std::string_view text) const {
    const gui::GlyphFont* font = library_->font(style);
    if (!font || text.empty()) return 0;
    int pen = 0;
    for (char c : text) pen += font->glyph(c).advance + style.tracking;
    return pen - style.tracking;
}

namespace {

TextStyle atPercent(TextStyle style, int percent) {
    gui::Scale scale = gui::Scale::x100;
    gui::scaleFromPercent(percent, scale);
    style.pixelHeight = gui::scaled(style.pixelHeight, scale);
    style.tracking = gui::scaled(style.tracking, scale);
    return style;
}

}  // namespace

double FontText::width(const TextStyle& style, std::string_view text, int percent) const {
    if (percent == 100) return width(style, text);
    return width(atPercent(style, percent), text) * 100.0 / percent;
}

void FontText::draw(Raster& target, const TextStyle& unscaled, double x1, int baseline1, std::string_view text,
                    Align align) const {
    const TextStyle style = target.percent() == 100 ? unscaled : atPercent(unscaled, target.percent());
    const double x = target.percent() == 100 ? x1 : x1 * target.factor();
    const int baseline =
        target.percent() == 100 ? baseline1 : static_cast<int>(std::lround(baseline1 * target.factor()));
    const gui::GlyphFont* font = library_->font(style);
    if (!font) return;
    const int textWidth = width(style, text);
    double left = x;
    if (align == Align::centre) left = x - textWidth / 2.0;
    if (align == Align::right) left = x - textWidth;
    int pen = static_cast<int>(std::floor(left + 0.5));
    for (char c : text) {
        const gui::Glyph& glyph = font->glyph(c);
        const std::uint8_t* coverage = font->coverage + glyph.offset;
        for (int row = 0; row < glyph.height; ++row)
            for (int col = 0; col < glyph.width; ++col)
                target.blend(pen + glyph.left + col, baseline - glyph.top + row, style.colour,
                             coverage[row * glyph.width + col] / 255.0);
        pen += glyph.advance + style.tracking;
    }
}

}  // namespace velora::artwork
