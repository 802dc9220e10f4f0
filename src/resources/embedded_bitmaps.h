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

inline constexpr std::size_t kEmbeddedBitmapsCount = 40;
extern const EmbeddedBitmap kEmbeddedBitmaps[kEmbeddedBitmapsCount];
// The 150 % and 200 % sizes, run-length coded (run_length.h).
inline constexpr std::size_t kEmbeddedScaledBitmapsCount = 80;
extern const EmbeddedBitmap kEmbeddedScaledBitmaps[kEmbeddedScaledBitmapsCount];

}  // namespace velora::resources
