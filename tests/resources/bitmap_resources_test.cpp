// SPDX-License-Identifier: MIT
// The built-in bitmaps: the inventory the editor loads by id, and slider
// tracks that are the panel behind their slider plus the slot.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "editor/control_layout.h"
#include "gui/scale.h"
#include "resources/bitmap_ids.h"
#include "resources/bitmap_resource.h"
#include "resources/run_length.h"

namespace editor = velora::editor;
using namespace velora::resources;
using velora::resources::BitmapResource;
using velora::resources::describeBmp;
using velora::resources::findBitmapResource;
using velora::resources::Rgb;

namespace {

constexpr Rgb kMagenta{255, 0, 255};

struct Inventory {
    int firstId, lastId, width, height;
    bool twoFrames;
    bool keyed;  // drawn with magenta as the transparent colour
};

constexpr Inventory kInventory[] = {
    {10001, 10001, 384, 410, false, false},  // frame background
    {10002, 10002, 15, 14, false, false},    // slider handle
    {10003, 10028, 23, 82, false, false},    // vertical tracks
    {10029, 10029, 19, 16, true, false},     // toggle, light panels
    {10030, 10030, 21, 21, false, true},     // knob body
    {10031, 10031, 3, 3, false, true},       // knob dot
    {10032, 10033, 82, 23, false, false},    // delay tracks
    {10034, 10034, 83, 17, false, false},    // volume track
    {10035, 10035, 19, 16, true, false},     // toggle, dark bar
    {10036, 10037, 23, 83, false, false},    // vibrato tracks
    {10038, 10039, 9, 18, true, false},      // plus and minus buttons
    {10040, 10040, 83, 17, false, false},    // panning track
};

bool containsMagenta(const BitmapResource& b) {
    for (int y = 0; y < b.height; ++y)
        for (int x = 0; x < b.width; ++x)
            if (b.pixel(x, y) == kMagenta) return true;
    return false;
}

bool framesDiffer(const BitmapResource& b) {
    const int frame = b.height / 2;
    for (int y = 0; y < frame; ++y)
        for (int x = 0; x < b.width; ++x)
            if (!(b.pixel(x, y) == b.pixel(x, y + frame))) return true;
    return false;
}

// At 150 and 200 % every size grows as the editor scales it (frames one by
// one), so that each bitmap fills its scaled control.
TEST(BitmapResources, EveryIdHasItsSizeFramesAndTransparencyAtEverySize) {
    for (const Inventory& row : kInventory) {
        for (int id = row.firstId; id <= row.lastId; ++id)
            for (velora::gui::Scale scale : velora::gui::kScales) {
                const int sized = bitmapIdAtPercent(id, velora::gui::percentOf(scale));
                SCOPED_TRACE(sized);
                const BitmapResource* b = findBitmapResource(sized);
                ASSERT_NE(b, nullptr);
                const int frames = row.twoFrames ? 2 : 1;
                EXPECT_EQ(b->width, velora::gui::scaled(row.width, scale));
                EXPECT_EQ(b->height, frames * velora::gui::scaled(row.height / frames, scale));
                if (row.twoFrames) {
                    EXPECT_TRUE(framesDiffer(*b)) << "the pressed or lit frame looks like the other";
                }
                if (row.keyed) {
                    // Corners show the panel, the middle is drawn.
                    EXPECT_EQ(b->pixel(0, 0), kMagenta);
                    EXPECT_EQ(b->pixel(b->width - 1, b->height - 1), kMagenta);
                    EXPECT_NE(b->pixel(b->width / 2, b->height / 2), kMagenta);
                } else {
                    EXPECT_FALSE(containsMagenta(*b)) << "an opaque bitmap would show magenta";
                }
            }
    }
}

TEST(RunLength, ImagesComeBackAsTheyWentIn) {
    const auto image = [](int width, int height, auto colourAt) {
        RgbImage out{width, height, {}};
        for (int i = 0; i < width * height; ++i) {
            const Rgb c = colourAt(i);
            out.rgb.push_back(c.r);
            out.rgb.push_back(c.g);
            out.rgb.push_back(c.b);
        }
        return out;
    };
    const RgbImage cases[] = {
        image(1, 1,
              [](int) {
                  return Rgb{1, 2, 3};
              }),
        image(128, 1,
              [](int) {
                  return Rgb{9, 9, 9};
              }),  // one whole run
        image(129, 2,
              [](int) {
                  return Rgb{9, 9, 9};
              }),  // runs across rows and a short one after
        image(300, 1,
              [](int i) {
                  return Rgb{static_cast<std::uint8_t>(i), 0, 0};
              }),  // literals only
        image(7, 5,
              [](int i) {
                  return Rgb{static_cast<std::uint8_t>(i / 3), 4, 5};
              }),  // short runs
    };
    for (const RgbImage& in : cases) {
        const std::vector<std::uint8_t> coded = encodeRunLength(in);
        RgbImage out;
        ASSERT_TRUE(decodeRunLength(coded.data(), coded.size(), out)) << in.width << "x" << in.height;
        EXPECT_EQ(out.width, in.width);
        EXPECT_EQ(out.height, in.height);
        EXPECT_EQ(out.rgb, in.rgb);
        BitmapResource described;
        const std::vector<std::uint8_t> file = bmpFileOf(out);
        ASSERT_TRUE(describeBmp(file.data(), file.size(), described));
        EXPECT_EQ(described.pixel(in.width - 1, 0),
                  (Rgb{in.rgb[3 * (in.width - 1)], in.rgb[3 * (in.width - 1) + 1], in.rgb[3 * (in.width - 1) + 2]}));
    }
}

TEST(RunLength, DamagedDataIsRefused) {
    const RgbImage square{2, 2, std::vector<std::uint8_t>(12, 7)};
    const std::vector<std::uint8_t> good = encodeRunLength(square);  // one run of four
    struct Damage {
        const char* what;
        std::vector<std::uint8_t> bytes;
    };
    auto with = [&](std::size_t at, std::uint8_t value) {
        std::vector<std::uint8_t> b = good;
        b[at] = value;
        return b;
    };
    std::vector<std::uint8_t> longer = good;
    longer.push_back(0);
    const Damage cases[] = {
        {"bad magic", with(0, 'X')},
        {"zero width", with(4, 0)},
        {"run past the end of the image", with(8, 4)},
        {"literal past the data", with(8, 200)},
        {"too few pixels", with(8, 2)},
        {"bytes after the image", longer},
        {"header only", std::vector<std::uint8_t>(good.begin(), good.begin() + 8)},
        {"cut in a run", std::vector<std::uint8_t>(good.begin(), good.end() - 1)},
    };
    for (const Damage& d : cases) {
        RgbImage out;
        EXPECT_FALSE(decodeRunLength(d.bytes.data(), d.bytes.size(), out)) << d.what;
        EXPECT_EQ(out.width, 0) << d.what;
    }
    RgbImage out;
    EXPECT_FALSE(decodeRunLength(nullptr, 10, out));
}

TEST(BitmapResources, UnknownIdsAndBrokenFilesAreRefused) {
    for (int id :
         {0, -1, 1, kFirstBitmapId - 1, kLastBitmapId + 1, 15000, 20000, 20041, 30041, 40001, INT_MIN, INT_MAX})
        EXPECT_EQ(findBitmapResource(id), nullptr) << id;

    const BitmapResource* handle = findBitmapResource(10002);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(handle->pixel(-1, 0), Rgb{});
    EXPECT_EQ(handle->pixel(15, 0), Rgb{});
    EXPECT_EQ(handle->row(14), nullptr);
    const std::vector<std::uint8_t> good(handle->file, handle->file + handle->fileSize);
    BitmapResource out;
    EXPECT_TRUE(describeBmp(good.data(), good.size(), out));
    EXPECT_FALSE(describeBmp(nullptr, 100, out));
    EXPECT_FALSE(describeBmp(good.data(), good.size() - 1, out)) << "last row cut short";
    EXPECT_EQ(out.pixels, nullptr);
    struct Damage {
        std::size_t offset;
        std::uint8_t value;
    };
    for (Damage damage : {Damage{0, 'X'}, Damage{28, 32}, Damage{30, 1}, Damage{10, 0xFF}, Damage{25, 0xFF}}) {
        std::vector<std::uint8_t> broken = good;
        broken[damage.offset] = damage.value;
        EXPECT_FALSE(describeBmp(broken.data(), broken.size(), out)) << "byte " << damage.offset;
    }
}

int brightness(Rgb c) { return (299 * c.r + 587 * c.g + 114 * c.b) / 1000; }

// The knob draws its dot on a circle of radius 10.5 - 4 round the body's
// centre, from 225 degrees at 0 to -45 at 1; wherever it lands it must sit
// on the ball (a keyed-out pixel there would leave the old dot behind) and
// stand out from it.
TEST(BitmapResources, KnobDotStaysOnTheBallAndStandsOut) {
    const BitmapResource* body = findBitmapResource(10030);
    const BitmapResource* dot = findBitmapResource(10031);
    ASSERT_NE(body, nullptr);
    ASSERT_NE(dot, nullptr);
    for (int step = 0; step <= 100; ++step) {
        const float alpha = 3.9269907f - step / 100.0f * 4.712389f;
        const int px = static_cast<int>(10.5f + std::cos(alpha) * 6.5f + 0.5f);
        const int py = static_cast<int>(10.5f - std::sin(alpha) * 6.5f + 0.5f);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 3; ++x) {
                if (dot->pixel(x, y) == kMagenta) continue;
                const Rgb under = body->pixel(px - 1 + x, py - 1 + y);
                ASSERT_NE(under, kMagenta) << "value " << step / 100.0;
                if (x == 1 && y == 1) {
                    EXPECT_GT(brightness(dot->pixel(1, 1)) - brightness(under), 80) << "value " << step / 100.0;
                }
            }
    }
}

// Every slider of the editor's control table over its track; the kind follows
// from the track's shape.
TEST(BitmapResources, TracksAreThePanelBehindTheSliderWithTheSlotDrawnIn) {
    const BitmapResource* panel = findBitmapResource(kBackgroundBitmap);
    ASSERT_NE(panel, nullptr);
    int sliders = 0;
    for (const editor::ControlRow& row : editor::kControlTable) {
        if (row.kind != editor::ControlKind::VerticalSlider && row.kind != editor::ControlKind::HorizontalSlider)
            continue;
        ++sliders;
        const struct { int trackId, left, top; } slider{row.bitmap, row.rect.left, row.rect.top};
        SCOPED_TRACE(slider.trackId);
        const BitmapResource* track = findBitmapResource(slider.trackId);
        ASSERT_NE(track, nullptr);
        const bool vertical = track->width == 23;
        // The line the handle's centre runs on: across it, the handle sits 4
        // pixels in (2 in the 17-pixel bottom bar sliders); along it, the
        // handle's first pixel goes from 2 to 67 (vertical) or 66.
        const int handleAcross = vertical ? 15 : 14, handleAlong = vertical ? 14 : 15;
        const double centre = (track->height == 17 ? 2 : 4) + handleAcross / 2.0 - 0.5;
        const int alongFirst = 2 + handleAlong / 2, alongLast = (vertical ? 67 : 66) + handleAlong / 2;
        for (int y = 0; y < track->height; ++y)
            for (int x = 0; x < track->width; ++x) {
                const int across = vertical ? x : y, along = vertical ? y : x;
                const bool same = track->pixel(x, y) == panel->pixel(slider.left + x, slider.top + y);
                if (std::abs(across - centre) > 4) {
                    ASSERT_TRUE(same) << "outside the slot at " << x << ", " << y;
                }
                if (across == static_cast<int>(centre) && along >= alongFirst && along <= alongLast) {
                    ASSERT_FALSE(same) << "no slot under the handle's centre at " << x << ", " << y;
                }
            }
    }
    EXPECT_EQ(sliders, 33);
}

}  // namespace
