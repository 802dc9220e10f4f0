// SPDX-License-Identifier: MIT
#pragma once
// Reads the bitmap resources (type 2) of a Windows PE file, as LoadBitmap
// would find them: id -> the bitmap's bytes (a BMP file without its 14-byte
// file header).
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace velora::test {

// Empty when the file cannot be read or is not a PE file with resources.
std::map<int, std::vector<std::uint8_t>> readBitmapResources(const std::string& path);

}  // namespace velora::test
