// SPDX-License-Identifier: MIT
#include "bitmap_resource.h"

#include <array>
#include <vector>

#include "bitmap_ids.h"
#include "embedded_bitmaps.h"
#include "run_length.h"

namespace velora::resources {

namespace {

std::uint32_t read16(const std::uint8_t* p) { return p[0] | (p[1] << 8); }
std::uint32_t read32(const std::uint8_t* p) { return read16(p) | (read16(p + 2) << 16); }

struct Catalogue {
    std::array<BitmapResource, kEmbeddedBitmapsCount> entries{};
    std::size_t count = 0;

    Catalogue() {
        for (const EmbeddedBitmap& bitmap : kEmbeddedBitmaps) {
            BitmapResource resource;
            if (!describeBmp(bitmap.bytes, bitmap.size, resource)) continue;
            resource.id = bitmap.id;
            entries[count++] = resource;
        }
    }
};

// The larger sizes, decoded into BMP form when the first is asked for.
struct ScaledCatalogue {
    std::vector<std::vector<std::uint8_t>> files;
    std::vector<BitmapResource> entries;

    ScaledCatalogue() {
        files.reserve(kEmbeddedScaledBitmapsCount);
        for (const EmbeddedBitmap& bitmap : kEmbeddedScaledBitmaps) {
            RgbImage image;
            if (!decodeRunLength(bitmap.bytes, bitmap.size, image)) continue;
            files.push_back(bmpFileOf(image));
            BitmapResource resource;
            if (!describeBmp(files.back().data(), files.back().size(), resource)) continue;
            resource.id = bitmap.id;
            entries.push_back(resource);
        }
    }
};

}  // namespace

bool describeBmp(const std::uint8_t* file, std::size_t size, BitmapResource& out) {
    out = {};
    constexpr std::size_t kHeaders = 14 + 40;
    if (!file || size < kHeaders || file[0] != 'B' || file[1] != 'M') return false;
    const std::uint32_t pixelOffset = read32(file + 10);
    const std::uint32_t infoSize = read32(file + 14);
    const std::int32_t width = static_cast<std::int32_t>(read32(file + 18));
    const std::int32_t height = static_cast<std::int32_t>(read32(file + 22));
    const bool plain24 = read16(file + 26) == 1 && read16(file + 28) == 24 && read32(file + 30) == 0;
    if (infoSize < 40 || !plain24 || width <= 0 || height <= 0 || width > 0x10000 || height > 0x10000) return false;
    const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
    if (pixelOffset < kHeaders || pixelOffset > size || stride * static_cast<std::size_t>(height) > size - pixelOffset)
        return false;
    out.width = width;
    out.height = height;
    out.file = file;
    out.fileSize = size;
    out.pixels = file + pixelOffset;
    out.stride = static_cast<int>(stride);
    return true;
}

Rgb BitmapResource::pixel(int x, int y) const {
    if (!pixels || x < 0 || y < 0 || x >= width || y >= height) return {};
    const std::uint8_t* p = row(y) + static_cast<std::size_t>(x) * 3;
    return {p[2], p[1], p[0]};
}

const BitmapResource* findBitmapResource(int id) {
    if (id > kLastBitmapId) {
        try {
            static const ScaledCatalogue scaled;
            for (const BitmapResource& entry : scaled.entries)
                if (entry.id == id) return &entry;
        } catch (...) {  // out of memory: as if the size were not built in
        }
        return nullptr;
    }
    static const Catalogue catalogue;
    for (std::size_t i = 0; i < catalogue.count; ++i)
        if (catalogue.entries[i].id == id) return &catalogue.entries[i];
    return nullptr;
}

}  // namespace velora::resources
