// SPDX-License-Identifier: MIT
#include "gui/platform/x11/changed_area.h"

#include <cstring>

namespace velora::gui::x11 {

Rect changedArea(const PixelImage& now, const PixelImage& before) {
    if (now.width() != before.width() || now.height() != before.height()) return now.bounds();
    const std::size_t rowBytes = static_cast<std::size_t>(now.width()) * 3;
    const std::uint8_t* a = now.bytes().data();
    const std::uint8_t* b = before.bytes().data();
    Rect area{now.width(), now.height(), 0, 0};
    for (int y = 0; y < now.height(); ++y) {
        const std::size_t row = static_cast<std::size_t>(y) * rowBytes;
        if (std::memcmp(a + row, b + row, rowBytes) == 0) continue;
        int left = 0, right = now.width();
        while (left < right && std::memcmp(a + row + 3 * left, b + row + 3 * left, 3) == 0) ++left;
        while (right > left && std::memcmp(a + row + 3 * (right - 1), b + row + 3 * (right - 1), 3) == 0) --right;
        if (y < area.top) area.top = y;
        area.bottom = y + 1;
        if (left < area.left) area.left = left;
        if (right > area.right) area.right = right;
    }
    return area.isEmpty() ? Rect{} : area;
}

}  // namespace velora::gui::x11
