// SPDX-License-Identifier: MIT
#pragma once
// A picture of the assembled editor for people: the background with every
// control drawn from its bitmaps at a sample value, the way the toolkit
// draws them.
#include <map>
#include <string>

#include "font_text.h"
#include "raster.h"

namespace velora::artwork {

Image composePreview(const std::map<int, Image>& bitmaps, const FontText& text);
bool writePng(const Image& image, const std::string& path);

}  // namespace velora::artwork
