// SPDX-License-Identifier: MIT
#pragma once
// Fonts of the toolkit's font requests as GDI fonts.
#include <windows.h>

#include "gui/font_table.h"

namespace velora::gui::win32 {

// The pixel height is the character (em) height; weight 700 when bold,
// else 400; a variable-pitch sans-serif (or decorative, for the symbol
// face) ANSI font. Null when the system has no font to give.
HFONT createFont(const FontRequest& font);

bool sameFont(const FontRequest& a, const FontRequest& b);

}  // namespace velora::gui::win32
