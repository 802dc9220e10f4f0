// SPDX-License-Identifier: MIT
// Sliders, knobs and buttons driven through the frame with scripted mouse
// rounds, checked on the listener, the edit brackets and the screen.
#include <gtest/gtest.h>

#include <limits>

#include "gui/knob.h"
#include "gui/momentary_button.h"
#include "gui/slider.h"
#include "gui/toggle_button.h"
#include "gui_test_support.h"

namespace velora::gui::test {
namespace {

using State = HeadlessPlatform::InputState;

class ValueControls : public GuiTest, public ::testing::Test {
protected:
    // The editor's slider kinds: no jump to the click, opaque handle.
    Slider* addSlider(const Rect& r, std::int32_t tag, std::int32_t min, std::int32_t max, Point offset, int style,
                      bool withHandle = true) {
        auto handle = load(withHandle ? kHandleId : 0);
        auto track = load(style & Slider::kVertical ? kTrackId : kHorizontalTrackId);
        auto* slider = add(new Slider(r, &listener, tag, min, max, handle, track, {0, 0}, style));
        slider->setHandleOffset(offset);
        slider->setTransparentHandle(false);
        slider->setJumpToClick(false);
        return slider;
    }
    Slider* verticalSlider() {
        return addSlider({8, 34, 31, 116}, 8, 36, 103, {4, 0}, Slider::kVertical | Slider::kBottom);
    }
    Knob* addKnob() {
        auto body = load(kKnobId);
        auto dot = load(kDotId);
        auto* knob = add(new Knob({111, 297, 132, 318}, &listener, 58, body, dot, {0, 0}));
        knob->setTransparency(true);
        return knob;
    }
    // The span of handle-coloured pixels along one axis inside a control.
    std::pair<int, int> handleSpan(const Rect& r, bool horizontal) {
        int first = -1, last = -1;
        const int length = horizontal ? r.width() : r.height();
        for (int i = 0; i < length; ++i) {
            bool found = false;
            for (int j = 0; j < (horizontal ? r.height() : r.width()); ++j) {
                const int x = r.left + (horizontal ? i : j), y = r.top + (horizontal ? j : i);
                found = found || screen().at(x, y) == kHandle;
            }
            if (found && first < 0) first = i;
            if (found) last = i;
        }
        return {first, last};
    }
};

TEST_F(ValueControls, SliderHandleSpansTheTravelLimitsOnScreen) {
    struct Case {
        Rect rect;
        std::int32_t min, max;
        Point offset;
        int style;
        float value;
        std::pair<int, int> span;  // first and last handle pixel inside the control
    };
    const Case cases[] = {
        {{18, 296, 100, 319}, 20, 86, {0, 4}, Slider::kHorizontal | Slider::kLeft, 0.0f, {2, 16}},
        {{18, 296, 100, 319}, 20, 86, {0, 4}, Slider::kHorizontal | Slider::kLeft, 1.0f, {66, 80}},
        {{56, 374, 139, 391}, 58, 124, {0, 2}, Slider::kHorizontal | Slider::kLeft, 0.0f, {2, 16}},
        {{56, 374, 139, 391}, 58, 124, {0, 2}, Slider::kHorizontal | Slider::kLeft, 1.0f, {66, 80}},
        {{8, 34, 31, 116}, 36, 103, {4, 0}, Slider::kVertical | Slider::kBottom, 1.0f, {2, 15}},
        {{8, 34, 31, 116}, 36, 103, {4, 0}, Slider::kVertical | Slider::kBottom, 0.0f, {67, 80}},
    };
    for (const Case& c : cases) {
        Slider* slider = addSlider(c.rect, 1, c.min, c.max, c.offset, c.style);
        slider->setValue(c.value);
        showWindow();
        EXPECT_EQ(handleSpan(c.rect, slider->isHorizontal()), c.span) << c.rect.left << " at " << c.value;
    }
}

TEST_F(ValueControls, ControlLeftRestoresTheDefaultOnceWithoutEditBrackets) {
    Slider* slider = verticalSlider();
    Knob* knob = addKnob();
    for (Control* control : {static_cast<Control*>(slider), static_cast<Control*>(knob)}) {
        listener.values.clear();
        owner.edits.clear();
        control->setValue(0.2f);
        showWindow();
        press({control->rect().left + 1, control->rect().top + 1}, kControlLeft, {{{}, kControlLeft}});
        EXPECT_EQ(listener.values, std::vector<float>{0.5f});
        EXPECT_TRUE(owner.edits.empty());
    }
}

TEST_F(ValueControls, SliderDragKeepsTheGripAndIgnoresPressesBesideTheHandle) {
    Slider* slider = verticalSlider();
    slider->setValue(0.5f);  // handle top at 4 + trunc(0.5 * 67) = 33 inside, y 67 in the frame
    showWindow();
    press({20, 60}, kLeftButton, {{{20, 40}, kLeftButton}});
    EXPECT_TRUE(listener.values.empty());
    EXPECT_TRUE(owner.edits.empty());

    // Grabbed 3 pixels below the handle's top and moved up by 10: the value
    // moves by 10 / 67 of the range from where it was.
    press({20, 70}, kLeftButton, {{{20, 60}, kLeftButton}, {{20, 60}, kLeftButton}});
    EXPECT_EQ(slider->getValue(), 0.5f + 10.0f / 67.0f);
    EXPECT_EQ(owner.edits, (std::vector<Edit>{{true, 8}, {false, 8}}));
    EXPECT_EQ(frame->getFocusView(), slider);

    // Control-Shift-left is an ordinary drag.
    listener.values.clear();
    const float before = slider->getValue();
    press({20, 60}, kControlLeft | kShift, {{{20, 50}, kControlLeft | kShift}});
    EXPECT_FALSE(listener.values.empty());
    EXPECT_NE(slider->getValue(), 0.5f);
    EXPECT_GT(slider->getValue(), before);
}

// Values from the host are never clamped; a control shown at an end of its
// range is dragged from that end, not from the value far beyond it.
TEST_F(ValueControls, ValuesBeyondTheRangeAreDraggedFromTheEndShown) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    Slider* slider = verticalSlider();
    Knob* knob = addKnob();
    owner.mode = Knob::kLinearMode;
    // Above 1 the slider's handle is drawn at the top of its travel, y 2..16.
    for (float value : {1.5f, 1e30f}) {
        slider->setValue(value);
        showWindow();
        const Point at{slider->rect().left + 11, slider->rect().top + 9};
        press(at, kLeftButton, {{{at.h, at.v + 5}, kLeftButton}});
        EXPECT_FLOAT_EQ(slider->getValue(), 1.0f - 5.0f / 67.0f) << value;
    }
    // The knob's indicator sits at 0 for NaN and values below.
    const struct {
        float value, expected;
    } knobCases[] = {{1.5f, 1.0f - 0.025f}, {1e30f, 1.0f - 0.025f}, {-3.0f, 0.0f}, {nan, 0.0f}};
    for (const auto& c : knobCases) {
        knob->setValue(c.value);
        const Point centre{knob->rect().left + 10, knob->rect().top + 10};
        press(centre, kLeftButton, {{{centre.h, centre.v + 5}, kLeftButton}});  // 5 pixels down
        EXPECT_FLOAT_EQ(knob->getValue(), c.expected) << c.value;
    }
}

TEST_F(ValueControls, ShiftDragIsTenTimesFinerAndReleasingShiftJumpsBack) {
    Slider* slider = addSlider({18, 296, 100, 319}, 56, 20, 86, {0, 4}, Slider::kHorizontal | Slider::kLeft);
    slider->setValue(0.0f);
    showWindow();
    // Grabbed at its drawn left edge (x 20): Shift goes down at x 40, the
    // pointer moves on to x 106, then Shift goes up.
    press({20, 305}, kLeftButton,
          {{{40, 305}, kLeftButton},
           {{40, 305}, kLeftButton | kShift},
           {{106, 305}, kLeftButton | kShift},
           {{106, 305}, kLeftButton}});
    const float atShift = 20.0f / 66.0f;
    ASSERT_EQ(listener.values.size(), 3u);  // pressing Shift alone moves nothing
    EXPECT_FLOAT_EQ(listener.values[0], atShift);
    EXPECT_FLOAT_EQ(listener.values[1], atShift + (86.0f / 66.0f - atShift) / 10.0f);
    EXPECT_FLOAT_EQ(listener.values[2], 1.0f);
}

TEST_F(ValueControls, ArrowKeysStepAndClamp) {
    Slider* slider = verticalSlider();
    Knob* knob = addKnob();
    struct Case {
        float start;
        std::uint8_t key, modifier;
        float expected;
    };
    const Case cases[] = {
        {0.5f, kKeyUp, 0, 0.6f},   {0.5f, kKeyRight, 0, 0.6f},
        {0.5f, kKeyDown, 0, 0.4f}, {0.5f, kKeyLeft, kModifierShift, 0.49f},
        {0.95f, kKeyUp, 0, 1.0f},  {0.05f, kKeyDown, 0, 0.0f},
    };
    for (Control* control : {static_cast<Control*>(slider), static_cast<Control*>(knob)}) {
        for (const Case& c : cases) {
            control->setValue(c.start);
            EXPECT_EQ(control->onKeyDown({0, c.key, c.modifier}), 1);
            EXPECT_NEAR(control->getValue(), c.expected, 1e-6f);
        }
        EXPECT_EQ(control->onKeyDown({'a', 0, 0}), kKeyNotHandled);
    }
    EXPECT_TRUE(owner.edits.empty());
}

TEST_F(ValueControls, KnobGeometryFollowsTheSweepAndSplitsTheGap) {
    Knob* knob = addKnob();
    EXPECT_EQ(knob->getInset(), 4);
    struct Case {
        Point at;  // control-relative
        float value;
    };
    // Centre 10.5, 10.5: the top is 0.5, the lower left 0, the lower right 1,
    // the left half of the bottom gap 0 and its right half 1.
    const Case cases[] = {{{10, 0}, 0.5f},  {{0, 21}, 0.0f},     {{21, 21}, 1.0f},  {{8, 21}, 0.0f},
                          {{13, 21}, 1.0f}, {{21, 10}, 0.8333f}, {{0, 10}, 0.1667f}};
    for (const Case& c : cases) EXPECT_NEAR(knob->valueFromPoint(c.at), c.value, 0.02f) << c.at.h << "," << c.at.v;
    EXPECT_EQ(knob->pointFromValue(0.5f), (Point{11, 4}));
    EXPECT_EQ(knob->pointFromValue(0.0f), (Point{6, 15}));
    EXPECT_EQ(knob->pointFromValue(1.0f), (Point{15, 15}));
}

TEST_F(ValueControls, CircularKnobJumpsToThePressAndPinsAcrossTheGap) {
    Knob* knob = addKnob();
    knob->setValue(0.5f);
    showWindow();
    const Point origin = knob->rect().topLeft();
    auto at = [&](int x, int y) { return State{{origin.h + x, origin.v + y}, kLeftButton}; };
    press({origin.h + 21, origin.v + 10}, kLeftButton, {at(21, 10)});
    EXPECT_NEAR(knob->getValue(), 0.8333f, 0.02f);

    // From the lower right across the bottom to the lower left: pinned at 1.
    press({origin.h + 20, origin.v + 20}, kLeftButton, {at(13, 21), at(8, 21), at(0, 20)});
    EXPECT_EQ(knob->getValue(), 1.0f);
    press({origin.h + 1, origin.v + 20}, kLeftButton, {at(8, 21), at(13, 21), at(20, 20)});
    EXPECT_EQ(knob->getValue(), 0.0f);
}

TEST_F(ValueControls, LinearKnobCoversTheRangeIn200PixelsAnd300WithShiftWithoutJumps) {
    Knob* knob = addKnob();
    owner.mode = Knob::kLinearMode;
    const Point p{120, 300};
    struct Case {
        int word;
        int dx, dy;
        float expected;
    };
    const Case cases[] = {{kLeftButton, 50, 0, 0.25f},
                          {kLeftButton, 0, -50, 0.25f},
                          {kLeftButton, -25, 25, -0.25f},
                          {kLeftButton | kShift, 60, 0, 0.2f},
                          {kLeftButton | kShift, 0, 60, -0.2f}};
    for (const Case& c : cases) {
        knob->setValue(0.5f);
        press(p, c.word, {{{p.h + c.dx, p.v + c.dy}, c.word}});
        EXPECT_NEAR(knob->getValue(), 0.5f + c.expected, 1e-5f) << c.dx << "," << c.dy;
    }
    // Alt turns the drag circular.
    press(p, kLeftButton | kAlt, {{{p.h + 50, p.v}, kLeftButton | kAlt}});
    EXPECT_EQ(knob->getValue(), knob->valueFromPoint({p.h + 50 - 111, p.v - 297}));
    // Shift goes down after 30 pixels; the speed changes with the next move
    // (at 60 pixels) without a jump, and the last 30 pixels go at the finer
    // speed.
    knob->setValue(0.5f);
    showWindow();
    listener.values.clear();
    press(p, kLeftButton,
          {{{p.h + 30, p.v}, kLeftButton},
           {{p.h + 30, p.v}, kLeftButton | kShift},
           {{p.h + 60, p.v}, kLeftButton | kShift},
           {{p.h + 90, p.v}, kLeftButton | kShift}});
    ASSERT_EQ(listener.values.size(), 3u);
    EXPECT_NEAR(listener.values[1], 0.5f + 60.0f / 200.0f, 1e-5f);
    EXPECT_NEAR(listener.values[2], 0.5f + 60.0f / 200.0f + 30.0f / 300.0f, 1e-5f);
}

TEST_F(ValueControls, ButtonsToggleAndHoldWithReentry) {
    auto bitmap = load(kToggleId);
    auto* toggle = add(new ToggleButton({261, 150, 280, 158}, &listener, 96, bitmap));
    for (auto [from, to] : {std::pair{0.5f, 1.0f}, {1.0f, 0.0f}, {0.0f, 1.0f}}) {
        toggle->setValue(from);
        press({270, 154}, kLeftButton);
        EXPECT_EQ(toggle->getValue(), to);
    }
    EXPECT_EQ(listener.values, (std::vector<float>{1.0f, 0.0f, 1.0f}));
    showWindow();
    EXPECT_EQ(screen().at(270, 154), kWhite);  // the lower (on) frame

    listener.values.clear();
    auto* up = add(new MomentaryButton({274, 395, 283, 404}, &listener, 105, 8, bitmap, {0, 0}));
    const State inside{{278, 399}, kLeftButton}, outside{{300, 399}, kLeftButton};
    press({278, 399}, kLeftButton, {inside, inside, outside, outside, inside, inside});
    EXPECT_EQ(listener.values, (std::vector<float>{1.0f, 0.0f, 1.0f, 0.0f}));
    EXPECT_EQ(owner.edits, (std::vector<Edit>{{true, 105}, {false, 105}}));
    EXPECT_EQ(up->getValue(), 0.0f);
}

TEST_F(ValueControls, BadGeometryAndMissingBitmapsNeverFault) {
    // No travel, a zero-size rectangle, no bitmaps at all, values outside
    // every range: nothing divides by zero and nothing is drawn outside.
    Slider* flat = addSlider({10, 10, 30, 30}, 1, 12, 12, {0, 0}, Slider::kHorizontal | Slider::kLeft, false);
    auto* empty = add(new Slider({40, 40, 40, 40}, &listener, 2, 0, 0, nullptr, nullptr, {}, Slider::kVertical));
    auto* bare = add(new Knob({60, 60, 60, 60}, &listener, 3, nullptr, nullptr, {}));
    auto* lined = add(new Knob({100, 100, 121, 121}, &listener, 4, nullptr, nullptr, {}));
    auto* button = add(new MomentaryButton({0, 0, 0, 0}, &listener, 5, 0, nullptr, {}));
    for (float v :
         {0.5f, -1e30f, 1e30f, std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()}) {
        for (Control* c : std::initializer_list<Control*>{flat, empty, bare, lined, button}) c->setValue(v);
        showWindow();
    }
    press({11, 10}, kLeftButton, {{{25, 10}, kLeftButton}});
    press({60, 60}, kLeftButton, {{{61, 61}, kLeftButton}});
    bare->setMax(0.0f);
    bare->setSweepAngle(0.0f);
    bare->setValue(0.3f);
    showWindow();
    EXPECT_EQ(lined->getInset(), 3);
    lined->setValue(0.5f);
    showWindow();
    int white = 0;  // the indicator line from the centre towards the top
    for (int y = 100; y < 110; ++y) white += screen().at(110, y) == kWhite || screen().at(111, y) == kWhite;
    EXPECT_GE(white, 6);
}

}  // namespace
}  // namespace velora::gui::test
