// SPDX-License-Identifier: MIT
#pragma once
// 24-bit uncompressed BMP files: the form both the Windows resource compiler
// and the plug-in's built-in bitmaps take.
#include <cstdint>
#include <vector>

#include "raster.h"

namespace velora::artwork {

std::vector<std::uint8_t> encodeBmp(const Image& image);

}  // namespace velora::artwork
