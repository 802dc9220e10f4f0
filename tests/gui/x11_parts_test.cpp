// SPDX-License-Identifier: MIT
// The window-free parts of the X11 window system: the edit box's line and
// the packing of pixels for the server's visuals.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "gui/platform/x11/changed_area.h"
#include "gui/platform/x11/edit_line.h"
#include "gui/platform/x11/pixel_packing.h"
#include "gui/platform/x11/resource_scale.h"

namespace velora::gui::x11 {
namespace {

struct LineCase {
    const char* name;
    std::function<void(EditLine&)> keys;
    std::string text;
    std::size_t caret;
};

TEST(X11ResourceScale, XftDpiThenGdkScaleGiveTheDesktopScale) {
    const struct {
        const char* resources;
        const char* gdkScale;
        double factor;
    } cases[] = {
        {"Xft.dpi:\t96\n", nullptr, 1.0},
        {"Xft.antialias:\t1\nXft.dpi:\t144\nXft.hinting:\t1\n", nullptr, 1.5},
        {"Xft.dpi: 192", "1", 2.0},  // the resource wins
        {"Xft.dpi:\tlots\n", "2", 2.0},
        {"Xft.dpix:\t192\n", nullptr, 0.0},
        {"*Xft.dpi:\t192\n", nullptr, 0.0},
        {"", "1.5", 1.5},
        {nullptr, "-2", 0.0},
        {nullptr, "nan", 0.0},
        {nullptr, nullptr, 0.0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(scaleFromResources(c.resources, c.gdkScale), c.factor)
            << (c.resources ? c.resources : "(none)") << " / " << (c.gdkScale ? c.gdkScale : "(none)");
}

TEST(X11EditLine, KeysEditTheLineFromAllSelected) {
    // clang-format off
    const std::vector<LineCase> cases = {
        {"typing replaces the selection", [](EditLine& l) { l.type("0.5"); }, "0.5", 3},
        {"backspace clears the selection", [](EditLine& l) { l.backspace(); }, "", 0},
        {"left collapses to the start", [](EditLine& l) { l.left(false); l.type("x"); }, "xabcd", 1},
        {"right collapses to the end", [](EditLine& l) { l.right(false); l.backspace(); }, "abc", 3},
        {"home, delete", [](EditLine& l) { l.home(false); l.deleteForward(); }, "bcd", 0},
        {"end, left, backspace", [](EditLine& l) { l.end(false); l.left(false); l.backspace(); }, "abd", 2},
        {"shift extends from the anchor", [](EditLine& l) { l.home(false); l.right(true); l.right(true); l.type("Z"); }, "Zcd", 1},
        {"edges stay put", [](EditLine& l) { l.home(false); l.left(false); l.backspace(); l.end(false); l.right(false); l.deleteForward(); }, "abcd", 4},
        {"the limit of 6 holds", [](EditLine& l) { l.end(false); l.type("efghij"); }, "abcdef", 6},
        {"control characters are dropped", [](EditLine& l) { l.type("1\t2\n\x7f"); }, "12", 2},
        {"a press places the caret", [](EditLine& l) { l.placeCaret(99); l.type("!"); l.placeCaret(1); l.type("?"); }, "a?bcd!", 2},
    };
    // clang-format on
    for (const LineCase& c : cases) {
        SCOPED_TRACE(c.name);
        EditLine line("abcd", 6);
        EXPECT_EQ(line.selectionStart(), 0u);
        EXPECT_EQ(line.selectionEnd(), 4u);
        c.keys(line);
        EXPECT_EQ(line.text(), c.text);
        EXPECT_EQ(line.caret(), c.caret);
    }
    EXPECT_EQ(EditLine("toolong", 3).text(), "too");
}

struct PackCase {
    const char* name;
    PixelLayout layout;
    std::vector<std::uint8_t> bytes;  // of the pixel (0x12, 0x34, 0x56)
};

TEST(X11PixelPacking, PacksTrueColourLayoutsInServerByteOrder) {
    const std::vector<PackCase> cases = {
        {"24 in 32, LSB first", {0xFF0000, 0xFF00, 0xFF, 24, 32, false}, {0x56, 0x34, 0x12, 0x00}},
        {"32-bit visual gets opaque alpha", {0xFF0000, 0xFF00, 0xFF, 32, 32, false}, {0x56, 0x34, 0x12, 0xFF}},
        {"24 in 32, MSB first", {0xFF0000, 0xFF00, 0xFF, 24, 32, true}, {0x00, 0x12, 0x34, 0x56}},
        {"packed 24", {0xFF0000, 0xFF00, 0xFF, 24, 24, false}, {0x56, 0x34, 0x12}},
        {"BGR masks", {0xFF, 0xFF00, 0xFF0000, 24, 32, false}, {0x12, 0x34, 0x56, 0x00}},
        {"565", {0xF800, 0x07E0, 0x001F, 16, 16, false}, {0xAA, 0x11}},
    };
    PixelImage image(2, 2, Colour{0, 0, 0});
    image.set(1, 1, Colour{0x12, 0x34, 0x56});
    for (const PackCase& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(c.layout.isSupported());
        std::vector<std::uint8_t> out(c.bytes.size() + 2, 0xEE);
        packPixels(image, Rect{1, 1, 2, 2}, c.layout, out.data(), static_cast<int>(c.bytes.size()));
        EXPECT_EQ(std::vector<std::uint8_t>(out.begin(), out.begin() + static_cast<long>(c.bytes.size())), c.bytes);
        EXPECT_EQ(out[c.bytes.size()], 0xEE);  // nothing past the area
    }
    EXPECT_FALSE((PixelLayout{0xF0F0, 0xFF00, 0xFF, 24, 32, false}.isSupported()));
    EXPECT_FALSE((PixelLayout{0xFF0000, 0xFF00, 0xFF, 24, 8, false}.isSupported()));
}

TEST(X11ChangedArea, BoundsEveryChangedPixelAndNothingMore) {
    PixelImage before(10, 8, kBlack);
    PixelImage now = before;
    EXPECT_TRUE(changedArea(now, before).isEmpty());
    now.set(7, 2, kWhite);
    now.set(3, 5, Colour{0, 0, 1});
    EXPECT_EQ(changedArea(now, before), (Rect{3, 2, 8, 6}));
    EXPECT_EQ(changedArea(PixelImage(4, 4), before), (Rect{0, 0, 4, 4}));
}

}  // namespace
}  // namespace velora::gui::x11
