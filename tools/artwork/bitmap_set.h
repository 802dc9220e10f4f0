// SPDX-License-Identifier: MIT
#pragma once
// All 40 bitmaps of the editor, drawn and keyed by resource id.
#include <map>

#include "font_text.h"
#include "raster.h"

namespace velora::artwork {

// By 1x resource id, drawn at the given size.
std::map<int, Image> drawAllBitmaps(const FontText& text, int percent = 100);

}  // namespace velora::artwork
