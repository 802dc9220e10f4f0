// SPDX-License-Identifier: MIT
#pragma once
// The eight fonts of the toolkit, by index, and the face bits that vary them.
#include <cstdint>

namespace velora::gui {

enum FaceBits : int { kBold = 1, kItalic = 2, kUnderline = 4 };

enum class FontFamily : std::uint8_t {
    Sans,    // "Arial": a variable-pitch sans-serif face
    Symbol,  // "Symbol": a decorative face
};

struct FontRequest {
    const char* faceName = "Arial";
    FontFamily family = FontFamily::Sans;
    int pixelHeight = 12;  // character (em) height
    bool bold = false;
    bool italic = false;
    bool underline = false;
};

inline constexpr int kFontCount = 8;
inline constexpr int kDefaultFontIndex = 3;

// The font of a table index with the given face bits; an index outside the
// table is index 0.
FontRequest fontFromTable(int index, int face = 0);

}  // namespace velora::gui
