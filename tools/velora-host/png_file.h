#pragma once
// Writes an RGB image as a PNG file with uncompressed ("stored") deflate
// blocks: no zlib needed, so the Windows host writes the same bytes.
#include <string>

#include "editor_window.h"

namespace velora::host {

// False, with a reason, when the file cannot be written.
bool writePng(const RgbImage& image, const std::string& path, std::string& error);

}  // namespace velora::host
