// SPDX-License-Identifier: MIT
#pragma once
// A PNG read back as plain RGB rows, for comparing screenshots with the
// headless editor's pictures.
#include <png.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <vector>

namespace velora::test {

struct Picture {
    int width = 0, height = 0;
    std::vector<std::uint8_t> rgb;
    const std::uint8_t* at(int x, int y) const { return &rgb[(static_cast<std::size_t>(y) * width + x) * 3]; }
    bool operator==(const Picture&) const = default;
};

// An empty picture when the file is missing or not a PNG.
inline Picture readPng(const std::filesystem::path& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    Picture picture;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return picture;
    image.format = PNG_FORMAT_RGB;
    picture.rgb.resize(PNG_IMAGE_SIZE(image));
    if (png_image_finish_read(&image, nullptr, picture.rgb.data(), 0, nullptr)) {
        picture.width = static_cast<int>(image.width);
        picture.height = static_cast<int>(image.height);
    }
    png_image_free(&image);
    return picture;
}

}  // namespace velora::test
