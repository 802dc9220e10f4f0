// SPDX-License-Identifier: MIT
#pragma once
// The BMP files of bitmaps/ as byte arrays; the definitions are generated
// at build time by embed_bitmaps.cmake.
#include <cstddef>
#include <cstdint>

namespace velora::resources {

struct EmbeddedBitmap {
    int id;
    const std::uint8_t* bytes;
    std::size_t size;
};

inline constexpr std::size_t kEmbeddedBitmapCount = 40;
extern const EmbeddedBitmap kEmbeddedBitmaps[kEmbeddedBitmapCount];

}  // namespace velora::resources
