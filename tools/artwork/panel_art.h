// SPDX-License-Identifier: MIT
#pragma once
// The frame background: title strip, the four panels with their lettering and
// the dark bottom bar.
#include "font_text.h"
#include "raster.h"

namespace velora::artwork {

Raster drawPanelArtwork(const FontText& text, int percent = 100);

}  // namespace velora::artwork
