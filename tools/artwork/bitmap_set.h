// SPDX-License-Identifier: MIT
#pragma once
// All 40 bitmaps of the editor, drawn and keyed by resource id.
#include <map>

#include "font_text.h"
#include "raster.h"

namespace velora::artwork {

std::map<int, Image> drawAllBitmaps(const FontText& text);

}  // namespace velora::artwork
