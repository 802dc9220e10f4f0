// SPDX-License-Identifier: MIT
#include "gui/platform/win32/gdi_font.h"

#include <cstring>

namespace velora::gui::win32 {
namespace {

const char* faceOf(const FontRequest& font) { return font.faceName ? font.faceName : "Arial"; }

}  // namespace

HFONT createFont(const FontRequest& font) {
    const int height = font.pixelHeight > 0 ? font.pixelHeight : 1;
    const BYTE family = font.family == FontFamily::Symbol ? FF_DECORATIVE : FF_SWISS;
    // A negative height asks for the character height rather than the cell.
    return CreateFontA(-height, 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, font.italic, font.underline, FALSE,
                       ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, VARIABLE_PITCH | family,
                       faceOf(font));
}

bool sameFont(const FontRequest& a, const FontRequest& b) {
    return a.family == b.family && a.pixelHeight == b.pixelHeight && a.bold == b.bold && a.italic == b.italic &&
           a.underline == b.underline && std::strcmp(faceOf(a), faceOf(b)) == 0;
}

}  // namespace velora::gui::win32
