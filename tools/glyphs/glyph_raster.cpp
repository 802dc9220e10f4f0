// SPDX-License-Identifier: MIT
#include "glyph_raster.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cmath>
#include <memory>
#include <stdexcept>

namespace velora::gui {
namespace {

struct Library {
    FT_Library handle = nullptr;
    Library() {
        if (FT_Init_FreeType(&handle)) throw std::runtime_error("FreeType did not start");
    }
    ~Library() { FT_Done_FreeType(handle); }
};

struct Face {
    FT_Face handle = nullptr;
    Face(FT_Library library, const std::string& file) {
        if (FT_New_Face(library, file.c_str(), 0, &handle)) throw std::runtime_error("cannot read font " + file);
    }
    ~Face() { FT_Done_Face(handle); }
};

// Font units scaled to pixels and rounded, as the system sizes its line.
std::int16_t scaled(long units, int pixelHeight, long unitsPerEm) {
    return static_cast<std::int16_t>(std::lround(static_cast<double>(units) * pixelHeight / unitsPerEm));
}

}  // namespace

RasterFont::RasterFont(const std::string& fontFile, int pixelHeight, FontFamily family, bool bold) {
    Library library;
    Face face(library.handle, fontFile);
    if (FT_Set_Pixel_Sizes(face.handle, 0, static_cast<FT_UInt>(pixelHeight)))
        throw std::runtime_error("cannot size font " + fontFile);

    const long unitsPerEm = face.handle->units_per_EM;
    glyphs_.reserve(kGlyphCount);
    for (int code = kFirstGlyph; code <= kLastGlyph; ++code) {
        if (FT_Load_Char(face.handle, static_cast<FT_ULong>(code), FT_LOAD_RENDER | FT_LOAD_TARGET_NORMAL))
            throw std::runtime_error("cannot render a character of " + fontFile);
        const FT_GlyphSlot slot = face.handle->glyph;
        const FT_Bitmap& bitmap = slot->bitmap;
        Glyph glyph{};
        glyph.advance = static_cast<std::int16_t>((slot->advance.x + 32) >> 6);
        glyph.left = static_cast<std::int16_t>(slot->bitmap_left);
        glyph.top = static_cast<std::int16_t>(slot->bitmap_top);
        glyph.width = static_cast<std::uint16_t>(bitmap.width);
        glyph.height = static_cast<std::uint16_t>(bitmap.rows);
        glyph.offset = static_cast<std::uint32_t>(coverage_.size());
        for (unsigned row = 0; row < bitmap.rows; ++row) {
            const unsigned char* line = bitmap.buffer + static_cast<long>(row) * bitmap.pitch;
            coverage_.insert(coverage_.end(), line, line + bitmap.width);
        }
        glyphs_.push_back(glyph);
    }

    font_.family = family;
    font_.bold = bold;
    font_.pixelHeight = static_cast<std::int16_t>(pixelHeight);
    font_.ascent = scaled(face.handle->ascender, pixelHeight, unitsPerEm);
    font_.descent = scaled(-face.handle->descender, pixelHeight, unitsPerEm);
    font_.underlineOffset = scaled(-face.handle->underline_position, pixelHeight, unitsPerEm);
    const std::int16_t thickness = scaled(face.handle->underline_thickness, pixelHeight, unitsPerEm);
    font_.underlineThickness = thickness > 0 ? thickness : 1;
    font_.glyphs = glyphs_.data();
    font_.coverage = coverage_.data();
}

}  // namespace velora::gui
