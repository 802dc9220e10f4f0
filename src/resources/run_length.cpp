// SPDX-License-Identifier: MIT
#include "run_length.h"

#include <cstring>

namespace velora::resources {
namespace {

constexpr std::uint8_t kMagic[4] = {'V', 'R', 'L', '1'};
constexpr std::size_t kHeader = 8;
constexpr int kMaxSide = 4096;
constexpr std::size_t kMaxRun = 128;

void put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v & 0xFF));
    out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

bool samePixel(const std::uint8_t* a, const std::uint8_t* b) { return std::memcmp(a, b, 3) == 0; }

}  // namespace

std::vector<std::uint8_t> encodeRunLength(const RgbImage& image) {
    std::vector<std::uint8_t> out(kMagic, kMagic + 4);
    put16(out, static_cast<std::uint32_t>(image.width));
    put16(out, static_cast<std::uint32_t>(image.height));
    const std::size_t count = image.rgb.size() / 3;
    const std::uint8_t* p = image.rgb.data();
    std::size_t i = 0;
    while (i < count) {
        std::size_t run = 1;
        while (i + run < count && run < kMaxRun && samePixel(p + 3 * i, p + 3 * (i + run))) ++run;
        if (run > 1) {
            out.push_back(static_cast<std::uint8_t>(run - 1));
            out.insert(out.end(), p + 3 * i, p + 3 * i + 3);
            i += run;
            continue;
        }
        // Literal pixels up to the next pair that repeats.
        std::size_t literal = 1;
        while (i + literal < count && literal < kMaxRun &&
               !(i + literal + 1 < count && samePixel(p + 3 * (i + literal), p + 3 * (i + literal + 1))))
            ++literal;
        out.push_back(static_cast<std::uint8_t>(127 + literal));
        out.insert(out.end(), p + 3 * i, p + 3 * (i + literal));
        i += literal;
    }
    return out;
}

bool decodeRunLength(const std::uint8_t* data, std::size_t size, RgbImage& out) {
    out = {};
    if (!data || size < kHeader || std::memcmp(data, kMagic, 4) != 0) return false;
    const int width = data[4] | (data[5] << 8), height = data[6] | (data[7] << 8);
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return false;
    const std::size_t total = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3;
    std::vector<std::uint8_t> rgb;
    rgb.reserve(total);
    std::size_t at = kHeader;
    while (at < size && rgb.size() < total) {
        const std::uint8_t code = data[at++];
        const bool repeat = code < 128;
        const std::size_t pixels = repeat ? code + 1u : code - 127u;
        const std::size_t bytes = repeat ? 3 : pixels * 3;
        if (size - at < bytes || total - rgb.size() < pixels * 3) return false;
        if (repeat)
            for (std::size_t k = 0; k < pixels; ++k) rgb.insert(rgb.end(), data + at, data + at + 3);
        else
            rgb.insert(rgb.end(), data + at, data + at + bytes);
        at += bytes;
    }
    if (at != size || rgb.size() != total) return false;
    out = {width, height, std::move(rgb)};
    return true;
}

std::vector<std::uint8_t> bmpFileOf(const RgbImage& image) {
    const std::uint32_t stride = (static_cast<std::uint32_t>(image.width) * 3 + 3) & ~3u;
    const std::uint32_t pixelBytes = stride * static_cast<std::uint32_t>(image.height);
    std::vector<std::uint8_t> out{'B', 'M'};
    out.reserve(54 + pixelBytes);
    put32(out, 54 + pixelBytes);
    put32(out, 0);
    put32(out, 54);
    put32(out, 40);
    put32(out, static_cast<std::uint32_t>(image.width));
    put32(out, static_cast<std::uint32_t>(image.height));
    put16(out, 1);
    put16(out, 24);
    for (int i = 0; i < 6; ++i) put32(out, 0);
    for (int y = image.height - 1; y >= 0; --y) {
        const std::uint8_t* row = image.rgb.data() + static_cast<std::size_t>(y) * image.width * 3;
        for (int x = 0; x < image.width; ++x) {
            out.push_back(row[3 * x + 2]);
            out.push_back(row[3 * x + 1]);
            out.push_back(row[3 * x]);
        }
        for (std::uint32_t pad = static_cast<std::uint32_t>(image.width) * 3; pad < stride; ++pad) out.push_back(0);
    }
    return out;
}

}  // namespace velora::resources
