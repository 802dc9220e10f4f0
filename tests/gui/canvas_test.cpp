// SPDX-License-Identifier: MIT
// The software canvas keeps the native drawing conventions, and the
// built-in glyph data covers every font the toolkit asks for.
#include <gtest/gtest.h>

#include "gui/software/glyph_font.h"
#include "gui/software/software_canvas.h"

namespace velora::gui {
namespace {

int countColour(const PixelImage& image, Colour colour) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) n += image.at(x, y) == colour;
    return n;
}

TEST(SoftwareCanvas, LinesEndOnePixelShortAndFillsLeaveOutTheFarEdges) {
    PixelImage image(20, 20);
    SoftwareCanvas canvas(image, {100, 100});  // frame coordinates from 100, 100
    canvas.drawLine({102, 105}, {110, 105}, kWhite);
    EXPECT_EQ(countColour(image, kWhite), 8);
    EXPECT_EQ(image.at(2, 5), kWhite);
    EXPECT_EQ(image.at(10, 5), kBlack);
    canvas.drawLine({105, 105}, {105, 105}, kRed);  // empty
    EXPECT_EQ(countColour(image, kRed), 0);

    canvas.fillRect({101, 101, 104, 103}, kRed);
    EXPECT_EQ(countColour(image, kRed), 6);
    canvas.frameRect({110, 110, 115, 115}, kGrey);
    EXPECT_EQ(countColour(image, kGrey), 16);
    canvas.fillRect({90, 90, 500, 500}, kMagenta);  // clipped, and far lines are harmless
    canvas.drawLine({-100000, 3}, {100000, 3}, kWhite);
    EXPECT_EQ(countColour(image, kMagenta), 400);
}

TEST(SoftwareCanvas, KeyedBlitsSkipTheTransparentColourAndReadInsideTheSource) {
    PixelImage source(4, 4, kMagenta);
    source.set(1, 1, kWhite);
    source.set(3, 3, kRed);
    SoftwareImage image(source);
    PixelImage target(10, 10, kGrey);
    SoftwareCanvas canvas(target);
    canvas.drawImageKeyed(image, {2, 2, 6, 6}, {1, 1}, kMagenta);
    EXPECT_EQ(target.at(2, 2), kWhite);
    EXPECT_EQ(target.at(4, 4), kRed);
    EXPECT_EQ(countColour(target, kGrey), 98);
    canvas.drawImage(image, {0, 0, 10, 10}, {2, 2});  // only the 2 x 2 that exist
    EXPECT_EQ(countColour(target, kMagenta), 3);
    EXPECT_EQ(target.at(1, 1), kRed);
}

TEST(SoftwareCanvas, TextIsCentredVerticallyAndAlignedAsAsked) {
    struct Case {
        int alignment;
        int expectedLeft;  // first lit column for "I" in a 40-pixel box at 0
    };
    const FontRequest font = fontFromTable(3);
    const GlyphFont& glyphs = builtInFont(font);
    const Glyph& i = glyphs.glyph('I');
    const Case cases[] = {
        {kAlignLeft, i.left}, {kAlignCentre, (40 - i.advance) / 2 + i.left}, {kAlignRight, 40 - i.advance + i.left}};
    for (const Case& c : cases) {
        PixelImage image(40, 20);
        SoftwareCanvas canvas(image);
        TextStyle style{font, kWhite, c.alignment, false, kBlack};
        canvas.drawText("I", {0, 0, 40, 20}, style);
        int first = -1, top = -1, bottom = -1;
        for (int x = 0; x < 40 && first < 0; ++x)
            for (int y = 0; y < 20; ++y)
                if (image.at(x, y).red > 0) first = x;
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 40; ++x)
                if (image.at(x, y).red > 0) {
                    if (top < 0) top = y;
                    bottom = y;
                }
        EXPECT_EQ(first, c.expectedLeft) << c.alignment;
        const int baseline = (20 - glyphs.lineHeight()) / 2 + glyphs.ascent;
        EXPECT_EQ(top, baseline - i.top);
        EXPECT_EQ(bottom, baseline - 1);
    }
}

TEST(GlyphFonts, EveryTableFontAndEditHeightHasItsOwnGlyphs) {
    for (int index = 0; index < kFontCount; ++index) {
        const FontRequest request = fontFromTable(index);
        const GlyphFont& font = builtInFont(request);
        EXPECT_EQ(font.pixelHeight, request.pixelHeight);
        EXPECT_EQ(font.bold, request.bold);
        EXPECT_EQ(font.family, request.family);
        EXPECT_GT(font.textWidth("Velora"), request.pixelHeight);
        EXPECT_EQ(&font.glyph('\x80'), &font.glyph('?'));
    }
    for (int height = 6; height <= 18; ++height)
        EXPECT_EQ(builtInFont({"Arial", FontFamily::Sans, height}).pixelHeight, height);
    EXPECT_EQ(builtInFont({"Arial", FontFamily::Sans, 2}).pixelHeight, 6);
}

}  // namespace
}  // namespace velora::gui
