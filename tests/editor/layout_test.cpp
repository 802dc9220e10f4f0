// SPDX-License-Identifier: MIT
// The editor's window as built: every control's kind, tag, place and bitmaps,
// read back from the frame; values shown at open; handles and tracks on
// screen.
#include <typeinfo>

#include "core/param_id.h"
#include "editor_fixture.h"
#include "gui/momentary_button.h"
#include "gui/toggle_button.h"
#include "resources/bitmap_resource.h"

namespace velora::test {
namespace {

using gui::Knob;
using gui::Slider;

struct Expected {
    char kind;  // F text field, V/H slider, K knob, T toggle, M momentary
    int tag;
    gui::Rect rect;
    int bitmap;
};

// The layout as drawn up for the panel, in creation order.
// clang-format off
constexpr Expected kLayout[] = {
    {'F', 103, {318, 393, 368, 403}, 0},
    {'V', 8, {8, 34, 31, 116}, 10003},     {'V', 0, {38, 34, 61, 116}, 10004},
    {'V', 2, {62, 34, 85, 116}, 10005},    {'V', 20, {92, 34, 115, 116}, 10006},
    {'V', 22, {116, 34, 139, 116}, 10007}, {'V', 24, {140, 34, 163, 116}, 10008},
    {'V', 32, {170, 34, 193, 116}, 10009}, {'V', 36, {194, 34, 217, 116}, 10011},
    {'V', 38, {218, 34, 241, 116}, 10012}, {'V', 34, {242, 34, 265, 116}, 10010},
    {'V', 10, {8, 161, 31, 243}, 10013},   {'V', 4, {38, 161, 61, 243}, 10014},
    {'V', 6, {62, 161, 85, 243}, 10015},   {'V', 26, {92, 161, 115, 243}, 10016},
    {'V', 28, {116, 161, 139, 243}, 10017}, {'V', 30, {140, 161, 163, 243}, 10018},
    {'V', 40, {170, 161, 193, 243}, 10019}, {'V', 44, {194, 161, 217, 243}, 10020},
    {'V', 46, {218, 161, 241, 243}, 10021}, {'V', 42, {242, 161, 265, 243}, 10022},
    {'V', 12, {272, 161, 295, 243}, 10023}, {'V', 14, {296, 161, 319, 243}, 10024},
    {'V', 16, {326, 161, 349, 243}, 10036}, {'V', 18, {350, 161, 373, 243}, 10037},
    {'T', 96, {261, 150, 280, 158}, 10029},
    {'V', 48, {281, 34, 304, 116}, 10025}, {'V', 50, {305, 34, 328, 116}, 10026},
    {'V', 52, {329, 34, 352, 116}, 10027}, {'V', 54, {353, 34, 376, 116}, 10028},
    {'H', 56, {18, 296, 100, 319}, 10032}, {'K', 58, {111, 297, 132, 318}, 10030},
    {'H', 60, {18, 322, 100, 345}, 10033}, {'K', 62, {111, 322, 132, 343}, 10030},
    {'T', 64, {160, 353, 179, 361}, 10029},
    {'K', 66, {182, 287, 203, 308}, 10030}, {'K', 70, {211, 287, 232, 308}, 10030},
    {'K', 68, {167, 312, 188, 333}, 10030}, {'K', 74, {226, 312, 247, 333}, 10030},
    {'T', 99, {160, 338, 179, 346}, 10029}, {'T', 84, {258, 353, 277, 361}, 10029},
    {'K', 86, {276, 322, 297, 343}, 10030}, {'K', 88, {276, 297, 297, 318}, 10030},
    {'T', 76, {314, 353, 333, 361}, 10029},
    {'K', 78, {329, 297, 350, 318}, 10030}, {'K', 80, {349, 322, 370, 343}, 10030},
    {'K', 82, {310, 322, 331, 343}, 10030},
    {'H', 90, {190, 374, 273, 391}, 10040}, {'H', 101, {56, 392, 139, 409}, 10034},
    {'H', 92, {56, 374, 139, 391}, 10034},
    {'T', 98, {289, 378, 308, 386}, 10035}, {'T', 94, {148, 394, 167, 402}, 10035},
    {'M', 105, {274, 395, 283, 404}, 10038}, {'M', 106, {283, 395, 292, 404}, 10039},
    {'T', 107, {61, 23, 80, 31}, 10029},   {'T', 108, {69, 150, 88, 158}, 10029},
};
// clang-format on

char kindOf(gui::View* view) {
    if (auto* slider = dynamic_cast<Slider*>(view)) return slider->isHorizontal() ? 'H' : 'V';
    if (dynamic_cast<Knob*>(view)) return 'K';
    if (dynamic_cast<gui::ToggleButton*>(view)) return 'T';
    if (dynamic_cast<gui::MomentaryButton*>(view)) return 'M';
    if (dynamic_cast<gui::TextField*>(view)) return 'F';
    return '?';
}

int idOf(const gui::Bitmap* bitmap) { return bitmap ? bitmap->resourceId() : 0; }

TEST_F(EditorTest, EveryControlHasItsKindTagPlaceAndBitmaps) {
    openEditor();
    gui::Frame& frame = *editor().frame();
    EXPECT_EQ(frame.rect(), (gui::Rect{0, 0, 384, 410}));
    EXPECT_EQ(idOf(frame.getBackground()), 10001);
    ASSERT_EQ(frame.viewCount(), 56);
    for (int i = 0; i < 56; ++i) {
        const Expected& want = kLayout[i];
        auto* control = dynamic_cast<gui::Control*>(frame.viewAt(i));
        ASSERT_NE(control, nullptr) << i;
        EXPECT_EQ(kindOf(control), want.kind) << "row " << i + 1;
        EXPECT_EQ(control->getTag(), want.tag) << "row " << i + 1;
        EXPECT_EQ(control->rect(), want.rect) << "row " << i + 1;
        EXPECT_EQ(idOf(control->getBackground()), want.bitmap) << "row " << i + 1;
        if (auto* slider = dynamic_cast<Slider*>(control)) {
            EXPECT_EQ(idOf(slider->getHandleBitmap()), 10002) << "row " << i + 1;
            EXPECT_FALSE(slider->getJumpToClick());
        }
        if (auto* knob = dynamic_cast<Knob*>(control)) {
            EXPECT_EQ(knob->getInset(), 4);
            EXPECT_TRUE(knob->getTransparency());
            EXPECT_EQ(knob->getBackground()->transparentColour(), gui::kMagenta);
        }
    }
    gui::TextField& status = *editor().statusField();
    EXPECT_EQ(status.getFont(), 6);
    EXPECT_EQ(status.getStyle(), gui::ValueDisplay::kInset3D);
    EXPECT_EQ(status.getAlignment(), gui::kAlignCentre);
    EXPECT_EQ(status.getFontColour(), gui::kWhite);
    EXPECT_EQ(status.getBackColour(), gui::kBlack);
    EXPECT_EQ(status.text(), "");
}

void expectControlsShowTheInstance(editor::SynthEditor& editor, SynthEffect& effect) {
    int parameterControls = 0;
    for (int row = 0; row < editor::kControlCount; ++row) {
        gui::Control* control = editor.control(row);
        const int tag = control->getTag();
        if (tag == 103 || tag == 105 || tag == 106) {
            EXPECT_EQ(control->getValue(), 0.0f) << tag;
            continue;
        }
        ++parameterControls;
        EXPECT_EQ(control->getValue(), effect.getParameter(tag)) << tag;
    }
    EXPECT_EQ(parameterControls, 53);
}

TEST_F(EditorTest, ControlsShowTheInstanceAtOpenAlsoAfterChangesWhileClosed) {
    effect->setProgram(3);
    openEditor();
    expectControlsShowTheInstance(editor(), *effect);

    dispatch(vst::effEditClose);
    effect->setProgram(41);
    effect->setParameter(kParamToneWaveMix, 0.123f);  // automation while closed
    effect->setParameter(kParamXDelayOn, 1.0f);
    openEditor();
    EXPECT_EQ(controlOf(8).getValue(), 0.123f);
    expectControlsShowTheInstance(editor(), *effect);
}

// The screen inside a control against a bitmap, pixel for pixel, over an
// area of the control (control coordinates) read from a source offset.
::testing::AssertionResult showsBitmap(const gui::PixelImage& screen, const gui::Rect& control, const gui::Rect& area,
                                       int bitmapId, gui::Point source) {
    const resources::BitmapResource* bitmap = resources::findBitmapResource(bitmapId);
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x) {
            const resources::Rgb want = bitmap->pixel(x - area.left + source.h, y - area.top + source.v);
            const gui::Colour got = screen.at(control.left + x, control.top + y);
            if (got != gui::Colour{want.r, want.g, want.b})
                return ::testing::AssertionFailure() << "bitmap " << bitmapId << " differs at " << x << ", " << y;
        }
    return ::testing::AssertionSuccess();
}

TEST_F(EditorTest, SliderHandlesStopAtTheirTravelLimits) {
    struct Case {
        int parameter;
        float value;
        gui::Point handle;  // top-left inside the control
    };
    const Case cases[] = {
        {8, 1.0f, {4, 2}},  {8, 0.0f, {4, 67}},   // upper row: raised to the travel minimum
        {10, 1.0f, {4, 2}}, {10, 0.0f, {4, 67}},  // lower row
        {56, 0.0f, {2, 4}}, {56, 1.0f, {66, 4}},  // delay length
        {92, 0.0f, {2, 2}}, {92, 1.0f, {66, 2}},  // bottom bar
    };
    openEditor();
    for (const Case& c : cases) {
        effect->setParameter(c.parameter, c.value);
        idle();
        const gui::Rect handle = gui::rectAt(c.handle, 15, 14);
        EXPECT_TRUE(showsBitmap(platform.lastWindow()->screen(), rectOf(c.parameter), handle, 10002, {0, 0}))
            << c.parameter << " at " << c.value;
    }
}

TEST_F(EditorTest, VibratoSlidersShowTheTopRowsOfTheirTallerTracks) {
    openEditor();
    for (int parameter : {16, 18}) {
        const int id = controlOf(parameter).getBackground()->resourceId();
        EXPECT_EQ(resources::findBitmapResource(id)->height, 83);
        // Beside the handle (x 4..18) the track shows through, rows 0..81.
        for (const gui::Rect beside : {gui::Rect{0, 0, 4, 82}, gui::Rect{19, 0, 23, 82}})
            EXPECT_TRUE(showsBitmap(platform.lastWindow()->screen(), rectOf(parameter), beside, id, {beside.left, 0}));
    }
}

}  // namespace
}  // namespace velora::test
