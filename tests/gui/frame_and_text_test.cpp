// SPDX-License-Identifier: MIT
// The frame's painting, hit testing, key routing and window life, and the
// text field's edits, through the headless window system.
#include <gtest/gtest.h>

#include <string>

#include "gui/slider.h"
#include "gui/text_field.h"
#include "gui/toggle_button.h"
#include "gui_test_support.h"

namespace velora::gui::test {
namespace {

// A view that counts its draws and takes the keys it is given.
struct ProbeView : View {
    ProbeView(const Rect& r, int answer = kKeyNotHandled) : View(r), keyAnswer(answer) {}
    void draw(Canvas&) override {
        ++draws;
        setDirty(false);
    }
    void mouse(Canvas&, Point) override { ++presses; }
    int onKeyDown(const KeyCode&) override { return keyAnswer; }
    int draws = 0, presses = 0, keyAnswer;
};

class FrameTest : public GuiTest, public ::testing::Test {
protected:
    TextField* addStatusField() {
        auto* field = add(new TextField({318, 393, 368, 403}, &listener, 103, "", nullptr, ValueDisplay::kInset3D));
        field->setFont(6);
        field->setAlignment(kAlignCentre);
        return field;
    }
    void typeAndReturn(const std::string& text) {
        ASSERT_NE(window().editBox(), nullptr);
        window().editBox()->type(text);
        window().editBox()->pressReturn();
    }
};

TEST_F(FrameTest, IdleRepaintsOnlyDirtyViewsAndNothingBeforeTheFirstPaint) {
    auto* a = add(new ProbeView({0, 0, 10, 10}));
    auto* b = add(new ProbeView({20, 0, 30, 10}));
    a->setDirty(true);
    frame->idle();
    EXPECT_EQ(a->draws, 0);

    showWindow();
    EXPECT_FALSE(frame->firstPaintPending());
    EXPECT_EQ(a->draws + b->draws, 2);
    b->setDirty(true);
    frame->idle();
    frame->idle();
    EXPECT_EQ(a->draws, 1);
    EXPECT_EQ(b->draws, 2);

    // A dirty frame draws everything once.
    frame->setDirty(true);
    frame->idle();
    EXPECT_EQ(a->draws + b->draws, 5);

    // Once the system destroyed the window, idle does nothing.
    a->setDirty(true);
    window().destroyBySystem();
    frame->idle();
    EXPECT_EQ(a->draws, 2);
    EXPECT_FALSE(frame->isOpen());
}

TEST_F(FrameTest, ControlDirtyRuleFollowsTheValueAndTheFlag) {
    auto track = load(kTrackId);
    auto* slider = add(new Slider({8, 34, 31, 116}, &listener, 8, 36, 103, nullptr, track, {}, Slider::kVertical));
    EXPECT_TRUE(slider->isDirty());  // 0 differs from the initial previous value 1
    showWindow();
    EXPECT_FALSE(slider->isDirty());
    slider->setValue(0.25f);
    EXPECT_TRUE(slider->isDirty());
    slider->setDirty(false);
    EXPECT_EQ(slider->getPreviousValue(), 0.25f);
    slider->setDirty(true);
    EXPECT_EQ(slider->getPreviousValue(), -1.0f);
    slider->setValue(-1.0f);
    slider->setDirty(true);
    EXPECT_EQ(slider->getPreviousValue(), 0.0f);
    frame->idle();
    EXPECT_FALSE(slider->isDirty());
}

TEST_F(FrameTest, PressesGoToTheLastAddedEnabledViewWithEdgesIncluded) {
    auto* under = add(new ProbeView({10, 10, 50, 50}));
    auto* over = add(new ProbeView({30, 30, 60, 60}));
    showWindow();
    struct Case {
        Point at;
        int under, over;
    };
    const Case cases[] = {{{40, 40}, 0, 1}, {{60, 60}, 0, 2}, {{10, 10}, 1, 2}, {{61, 61}, 1, 2}};
    for (const Case& c : cases) {
        press(c.at, kLeftButton);
        EXPECT_EQ(under->presses, c.under) << c.at.h;
        EXPECT_EQ(over->presses, c.over) << c.at.h;
    }
    over->setMouseEnabled(false);
    press({40, 40}, kLeftButton);
    EXPECT_EQ(under->presses, 2);
    // Drops are offered, and no view of ours takes them.
    EXPECT_FALSE(window().drop({"/tmp/a.fxp"}, 0, {40, 40}));
}

TEST_F(FrameTest, KeysReachTheFocusViewFirstThenTheLastAddedTaker) {
    auto* first = add(new ProbeView({0, 0, 5, 5}, 1));
    auto* second = add(new ProbeView({5, 0, 10, 5}, 2));
    add(new ProbeView({10, 0, 15, 5}));
    EXPECT_EQ(frame->onKeyDown({0, kKeyUp, 0}), 2);
    frame->setFocusView(first);
    EXPECT_EQ(frame->onKeyDown({0, kKeyUp, 0}), 1);
    first->keyAnswer = second->keyAnswer = kKeyNotHandled;
    EXPECT_EQ(frame->onKeyDown({0, kKeyUp, 0}), kKeyNotHandled);
    EXPECT_EQ(frame->onKeyUp({0, kKeyUp, 0}), kKeyNotHandled);
}

TEST_F(FrameTest, WindowClassIsSharedAndBitmapsAreReleasedExactlyOnce) {
    EXPECT_EQ(platform.windowClassRegistrations(), 1);
    EXPECT_EQ(platform.windowClassName().rfind("Plugin", 0), 0u);
    EXPECT_EQ(platform.windowClassName().size(), 14u);
    const std::string name = platform.windowClassName();
    {
        auto second = std::make_unique<Frame>(Rect{0, 0, 100, 100}, &parent, &owner, platform);
        EXPECT_EQ(platform.windowClassRegistrations(), 2);
        EXPECT_EQ(platform.windowClassName(), name);
    }
    EXPECT_EQ(platform.windowClassRegistrations(), 1);

    auto shared = load(kToggleId);
    for (int i = 0; i < 3; ++i) add(new ToggleButton({0, 20 * i, 19, 20 * i + 8}, &listener, i, shared));
    EXPECT_EQ(shared.bitmap->references(), 4);
    EXPECT_EQ(platform.liveImages(), 2);  // the panel and the toggle image
    frame.reset();
    EXPECT_EQ(shared.bitmap->references(), 1);
    EXPECT_EQ(platform.windowClassRegistrations(), 0);
}

TEST_F(FrameTest, ReturnWithTheSameTextClosesTheEditSilently) {
    TextField* field = addStatusField();
    field->setText("0.500");
    showWindow();
    press({340, 398}, kLeftButton);
    ASSERT_TRUE(field->isEditing());
    EXPECT_EQ(frame->getFocusView(), field);
    EXPECT_EQ(window().editBox()->setup().text, "0.500");
    typeAndReturn("0.500");
    EXPECT_FALSE(field->isEditing());
    EXPECT_TRUE(field->closedByReturn());
    EXPECT_TRUE(listener.values.empty());
    EXPECT_EQ(frame->getFocusView(), nullptr);

    press({340, 398}, kLeftButton);
    typeAndReturn("7");
    EXPECT_EQ(listener.values.size(), 1u);
    EXPECT_EQ(field->text(), "7");
}

TEST_F(FrameTest, PressElsewhereEndsTheEditAndAppliesTheText) {
    TextField* field = addStatusField();
    auto track = load(kTrackId);
    auto handle = load(kHandleId);
    auto* slider = add(new Slider({8, 34, 31, 116}, &listener, 8, 36, 103, handle, track, {4, 0},
                                  Slider::kVertical | Slider::kBottom));
    showWindow();
    press({340, 398}, kLeftButton);
    window().editBox()->type("0.25");
    press({20, 110}, kLeftButton);  // on the slider's handle at value 0
    EXPECT_FALSE(field->isEditing());
    EXPECT_EQ(field->text(), "0.25");
    ASSERT_FALSE(listener.values.empty());
    EXPECT_EQ(frame->getFocusView(), slider);

    // A press where no view is ends an edit too, and a lost keyboard focus.
    press({340, 398}, kLeftButton);
    press({200, 200}, kLeftButton);
    EXPECT_FALSE(field->isEditing());
    press({340, 398}, kLeftButton);
    window().editBox()->loseKeyboardFocus();
    EXPECT_FALSE(field->isEditing());
}

TEST_F(FrameTest, EditBoxTakesTheFieldsGeometryAndASmallerFontWhenNeeded) {
    TextField* field = addStatusField();
    showWindow();
    press({340, 398}, kLeftButton);
    const EditBoxSetup& setup = window().editBox()->setup();
    EXPECT_EQ(setup.area, (Rect{318, 393, 369, 404}));
    EXPECT_EQ(setup.font.pixelHeight, 8);
    EXPECT_EQ(fontFromTable(field->getFont()).pixelHeight, 9);
    EXPECT_EQ(setup.alignment, kAlignCentre);
    EXPECT_EQ(setup.sideMargins, 3);
    EXPECT_EQ(setup.maxLength, 255);
    window().editBox()->type(std::string(300, '7'));
    window().editBox()->pressReturn();
    EXPECT_EQ(field->text(), std::string(255, '7'));
}

TEST_F(FrameTest, TextAndFontInputIsBoundedAndDirtiesOnlyOnChange) {
    TextField* field = addStatusField();
    showWindow();
    field->setText("Volume");
    EXPECT_TRUE(field->isDirty());
    frame->idle();
    field->setText("Volume");
    field->setText(nullptr);
    EXPECT_FALSE(field->isDirty());
    field->setText(std::string(400, 'x').c_str());
    EXPECT_EQ(field->text().size(), 255u);
    frame->idle();
    for (int index : {-1, 8, 1000}) {
        field->setFont(index);
        EXPECT_EQ(field->getFont(), 0);
        EXPECT_EQ(fontFromTable(index).pixelHeight, 12);
        EXPECT_TRUE(fontFromTable(index).bold);
    }
    frame->idle();
    field->setFont(0);
    EXPECT_FALSE(field->isDirty());  // unchanged settings leave it clean
    field->setFontColour(kWhite);
    EXPECT_FALSE(field->isDirty());
    field->setFontColour(kRed);
    EXPECT_TRUE(field->isDirty());
}

TEST_F(FrameTest, DoubleClickStyleEditsOnlyOnTheSecondPressInTime) {
    auto* field = add(new TextField({10, 10, 60, 20}, &listener, 1, "x", nullptr, ValueDisplay::kDoubleClick));
    showWindow();
    struct Case {
        std::uint32_t wait;
        bool edits;
    };
    for (const Case& c : {Case{0, false}, Case{399, true}, Case{400, false}, Case{10, true}}) {
        platform.advanceClock(c.wait);
        press({20, 15}, kLeftButton);
        EXPECT_EQ(field->isEditing(), c.edits) << c.wait;
        if (field->isEditing()) window().editBox()->pressReturn();
    }
}

TEST_F(FrameTest, StatusFieldDrawsCentredTextInItsInsetBox) {
    TextField* field = addStatusField();
    field->setText("8");
    showWindow();
    // The inset box: black inside, the left edge in the back colour, text in
    // white around the middle.
    int whiteish = 0, left = 400, right = -1;
    for (int y = 393; y < 403; ++y)
        for (int x = 318; x < 368; ++x)
            if (screen().at(x, y).red > 128) {
                ++whiteish;
                left = std::min(left, x);
                right = std::max(right, x);
            }
    EXPECT_GT(whiteish, 4);
    EXPECT_NEAR((left + right) / 2.0, 343.0, 2.0);
    EXPECT_EQ(screen().at(318, 395), kBlack);
    EXPECT_EQ(screen().at(368, 398), kBlack);  // the right edge line lies on `right`
}

}  // namespace
}  // namespace velora::gui::test
