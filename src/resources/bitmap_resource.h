// SPDX-License-Identifier: MIT
#pragma once
// The editor's bitmaps built into the plug-in, found by resource id. Each is
// a 24-bit uncompressed BMP file exactly as the Windows build carries it in
// its resources; the Linux and headless toolkits draw from these bytes.
#include <cstddef>
#include <cstdint>

namespace velora::resources {

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

struct BitmapResource {
    int id = 0;
    int width = 0;
    int height = 0;
    const std::uint8_t* file = nullptr;  // the whole BMP file
    std::size_t fileSize = 0;
    const std::uint8_t* pixels = nullptr;  // blue, green, red; bottom row first
    int stride = 0;                        // bytes per row, a multiple of 4

    // Row y counted from the top: width blue, green, red triples; null
    // outside the bitmap.
    const std::uint8_t* row(int y) const {
        if (!pixels || y < 0 || y >= height) return nullptr;
        return pixels + static_cast<std::size_t>(height - 1 - y) * stride;
    }
    // The pixel at x, y from the top-left; black outside the bitmap.
    Rgb pixel(int x, int y) const;
};

// Null for an id the plug-in does not carry.
const BitmapResource* findBitmapResource(int id);

// Reads the header of a BMP file; null fields and false unless it is a
// 24-bit uncompressed bottom-up bitmap whose pixels lie inside the bytes.
bool describeBmp(const std::uint8_t* file, std::size_t size, BitmapResource& out);

}  // namespace velora::resources
