// SPDX-License-Identifier: MIT
#pragma once
// Writes an 8-bit RGB image as a PNG file with libpng (build machine and
// Linux tools; the Windows host has a writer of its own).
#include <cstdint>
#include <string>

namespace velora::tools {

// `rgb` holds `height` rows of `width` × 3 bytes, top row first. False, with
// a reason, when there is nothing to write or the file cannot be written.
bool writeRgbPng(int width, int height, const std::uint8_t* rgb, const std::string& path, std::string& error);

}  // namespace velora::tools
