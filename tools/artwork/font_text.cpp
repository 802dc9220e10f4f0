#include "font_text.h"

#include <cmath>

#include <ft2build.h>
#include FT_FREETYPE_H

namespace velora::artwork {

struct FontText::Library {
    FT_Library library = nullptr;
    FT_Face regular = nullptr;
    FT_Face bold = nullptr;

    ~Library() {
        if (regular) FT_Done_Face(regular);
        if (bold) FT_Done_Face(bold);
        if (library) FT_Done_FreeType(library);
    }

    // The face at the requested size, or null.
    FT_Face sized(const TextStyle& style) const {
        FT_Face face = style.weight == Weight::bold ? bold : regular;
        if (!face || FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(style.pixelHeight)) != 0) return nullptr;
        return face;
    }
};

namespace {

constexpr FT_Int32 kLoadFlags = FT_LOAD_DEFAULT | FT_LOAD_TARGET_NORMAL;

bool loadGlyph(FT_Face face, char c, bool render) {
    const FT_UInt index = FT_Get_Char_Index(face, static_cast<unsigned char>(c));
    if (FT_Load_Glyph(face, index, kLoadFlags) != 0) return false;
    return !render || FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL) == 0;
}

}  // namespace

FontText::FontText(const std::string& regularFile, const std::string& boldFile) : library_(new Library) {
    if (FT_Init_FreeType(&library_->library) != 0) {
        library_->library = nullptr;
        return;
    }
    if (FT_New_Face(library_->library, regularFile.c_str(), 0, &library_->regular) != 0) library_->regular = nullptr;
    if (FT_New_Face(library_->library, boldFile.c_str(), 0, &library_->bold) != 0) library_->bold = nullptr;
}

FontText::~FontText() = default;

bool FontText::ready() const { return library_->regular && library_->bold; }

int FontText::width(const TextStyle& style, std::string_view text) const {
    FT_Face face = library_->sized(style);
    if (!face) return 0;
    int pen = 0;
    for (char c : text)
        if (loadGlyph(face, c, false)) pen += static_cast<int>((face->glyph->advance.x + 32) >> 6) + style.tracking;
    return text.empty() ? 0 : pen - style.tracking;
}

void FontText::draw(Raster& target, const TextStyle& style, double x, int baseline, std::string_view text,
                    Align align) const {
    FT_Face face = library_->sized(style);
    if (!face) return;
    const int textWidth = width(style, text);
    double left = x;
    if (align == Align::centre) left = x - textWidth / 2.0;
    if (align == Align::right) left = x - textWidth;
    int pen = static_cast<int>(std::floor(left + 0.5));
    for (char c : text) {
        if (!loadGlyph(face, c, true)) continue;
        const FT_GlyphSlot glyph = face->glyph;
        const FT_Bitmap& bitmap = glyph->bitmap;
        for (unsigned row = 0; row < bitmap.rows; ++row)
            for (unsigned col = 0; col < bitmap.width; ++col) {
                const unsigned char coverage = bitmap.buffer[row * bitmap.pitch + col];
                target.blend(pen + glyph->bitmap_left + static_cast<int>(col),
                             baseline - glyph->bitmap_top + static_cast<int>(row), style.colour, coverage / 255.0);
            }
        pen += static_cast<int>((glyph->advance.x + 32) >> 6) + style.tracking;
    }
}

}  // namespace velora::artwork
