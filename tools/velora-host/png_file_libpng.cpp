// SPDX-License-Identifier: MIT
#include "png_file.h"

#include "png_writer.h"

namespace velora::host {

bool writePng(const RgbImage& image, const std::string& path, std::string& error) {
    const auto bytes = static_cast<std::size_t>(image.width) * 3 * static_cast<std::size_t>(image.height);
    if (image.width <= 0 || image.height <= 0 || image.rgb.size() != bytes) {
        error = "no picture to write";
        return false;
    }
    return tools::writeRgbPng(image.width, image.height, image.rgb.data(), path, error);
}

}  // namespace velora::host
