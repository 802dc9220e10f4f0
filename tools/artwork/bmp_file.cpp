// SPDX-License-Identifier: MIT
#include "bmp_file.h"

namespace velora::artwork {

namespace {

void put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(v & 0xFF);
    out.push_back((v >> 8) & 0xFF);
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

}  // namespace

std::vector<std::uint8_t> encodeBmp(const Image& image) {
    const std::uint32_t stride = (static_cast<std::uint32_t>(image.width) * 3 + 3) & ~3u;
    const std::uint32_t pixelBytes = stride * static_cast<std::uint32_t>(image.height);
    constexpr std::uint32_t kHeaders = 14 + 40;
    std::vector<std::uint8_t> out;
    out.reserve(kHeaders + pixelBytes);
    // File header.
    out.push_back('B');
    out.push_back('M');
    put32(out, kHeaders + pixelBytes);
    put32(out, 0);
    put32(out, kHeaders);
    // Info header: bottom-up rows, one plane, 24 bits, no compression, 72 dpi.
    put32(out, 40);
    put32(out, static_cast<std::uint32_t>(image.width));
    put32(out, static_cast<std::uint32_t>(image.height));
    put16(out, 1);
    put16(out, 24);
    put32(out, 0);
    put32(out, pixelBytes);
    put32(out, 2835);
    put32(out, 2835);
    put32(out, 0);
    put32(out, 0);
    for (int y = image.height - 1; y >= 0; --y) {
        for (int x = 0; x < image.width; ++x) {
            const Pixel p = image.at(x, y);
            out.push_back(p.b);
            out.push_back(p.g);
            out.push_back(p.r);
        }
        for (std::uint32_t pad = static_cast<std::uint32_t>(image.width) * 3; pad < stride; ++pad) out.push_back(0);
    }
    return out;
}

}  // namespace velora::artwork
