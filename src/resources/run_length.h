// SPDX-License-Identifier: MIT
#pragma once
// The larger sizes of the editor's bitmaps are kept run-length coded: the
// panel art is mostly flat colour, and three sizes as plain BMP files would
// make the plug-in several megabytes larger.
//
// Form: "VRL1", width and height (16-bit little-endian), then runs over the
// rows from the top: a byte c < 128 repeats the next red, green, blue triple
// c + 1 times; c >= 128 is followed by c - 127 triples taken as they are.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace velora::resources {

// Rows from the top, red, green, blue.
struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;
};

std::vector<std::uint8_t> encodeRunLength(const RgbImage& image);
// False (and an empty image) unless the bytes hold exactly one whole image.
bool decodeRunLength(const std::uint8_t* data, std::size_t size, RgbImage& out);
// The image as a 24-bit bottom-up BMP file, the form the 1x bitmaps have.
std::vector<std::uint8_t> bmpFileOf(const RgbImage& image);

}  // namespace velora::resources
