// SPDX-License-Identifier: MIT
#include "gui/platform/win32/scaled_bitmap.h"

#include <windows.h>

#include <cstring>

#include "gui/platform/win32/gdi_canvas.h"
#include "gui/platform/win32/module_handle.h"
#include "resources/run_length.h"

namespace velora::gui::win32 {

std::unique_ptr<PlatformImage> loadScaledBitmap(int resourceId) {
    HMODULE module = thisModule();
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(resourceId), MAKEINTRESOURCEA(10));  // RT_RCDATA
    if (!found) return nullptr;
    HGLOBAL loaded = LoadResource(module, found);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    const DWORD size = SizeofResource(module, found);
    resources::RgbImage image;
    if (!data || !resources::decodeRunLength(static_cast<const std::uint8_t*>(data), size, image)) return nullptr;

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = image.width;
    info.bmiHeader.biHeight = image.height;  // bottom-up, as the 1x bitmaps load
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap || !bits) {
        if (bitmap) DeleteObject(bitmap);
        return nullptr;
    }
    const std::size_t stride = (static_cast<std::size_t>(image.width) * 3 + 3) & ~std::size_t{3};
    auto* rows = static_cast<std::uint8_t*>(bits);
    for (int y = 0; y < image.height; ++y) {
        const std::uint8_t* from = image.rgb.data() + static_cast<std::size_t>(y) * image.width * 3;
        std::uint8_t* to = rows + static_cast<std::size_t>(image.height - 1 - y) * stride;
        for (int x = 0; x < image.width; ++x) {
            to[3 * x] = from[3 * x + 2];
            to[3 * x + 1] = from[3 * x + 1];
            to[3 * x + 2] = from[3 * x];
        }
    }
    GdiFlush();
    try {
        return std::make_unique<GdiImage>(bitmap, image.width, image.height);
    } catch (...) {
        DeleteObject(bitmap);
        return nullptr;
    }
}

}  // namespace velora::gui::win32
