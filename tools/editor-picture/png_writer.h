#pragma once
// Writes a 24-bit image as an 8-bit RGB PNG file.
#include <string>

#include "gui/software/pixel_image.h"

namespace velora::tools {

// False, with a reason, when the file cannot be written.
bool writePng(const gui::PixelImage& image, const std::string& path, std::string& error);

}  // namespace velora::tools
