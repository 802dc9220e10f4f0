// SPDX-License-Identifier: MIT
#pragma once
// Writes an RGB image as a PNG file: with libpng on Linux; on Windows, where
// Debian has no libpng for mingw, with uncompressed ("stored") deflate blocks
// of our own.
#include <string>

#include "editor_window.h"

namespace velora::host {

// False, with a reason, when the file cannot be written.
bool writePng(const RgbImage& image, const std::string& path, std::string& error);

}  // namespace velora::host
