// SPDX-License-Identifier: MIT
// The editor at 150 and 200 %: the same gestures, made at the larger
// window's pixels, give the values they give at 100 %; who chooses the size,
// and how an open window follows a new one.
#include <fstream>
#include <functional>

#include "editor/scale_setting.h"
#include "editor_fixture.h"

namespace velora::test {
namespace {

using gui::Scale;
using In = gui::HeadlessPlatform::InputState;

constexpr int kShiftLeft = gui::kLeftButton | gui::kShift;

class ScaleTest;

// One gesture and the parameter it is read from afterwards.
struct Gesture {
    const char* what;
    int parameter;
    std::function<void(ScaleTest&)> make;
};

class ScaleTest : public EditorTest {
protected:
    static std::vector<Gesture> gestures();

    // Opens the editor at a size the host asks for.
    void openAt(Scale scale) {
        sendHostScale(gui::factorOf(scale));
        openEditor();
        ASSERT_EQ(editor().scale(), scale);
    }
    Scale scale() { return editor().scale(); }
    // A point given in 1x pixels from a control's top-left, in window pixels.
    gui::Point at(int parameter, gui::Point offset) {
        const gui::Point corner = rectOf(parameter).topLeft();
        const gui::Point moved = gui::scaled(offset, scale());
        return {corner.h + moved.h, corner.v + moved.v};
    }
    gui::Point plus(gui::Point p, gui::Point move) {
        const gui::Point d = gui::scaled(move, scale());
        return {p.h + d.h, p.v + d.v};
    }
    vst::ERect rect() {
        vst::ERect* r = nullptr;
        dispatch(vst::effEditGetRect, 0, 0, &r);
        return r ? *r : vst::ERect{};
    }
    void typeIntoStatus(const std::string& text) {
        press(centre(editor().statusField()->rect()), gui::kLeftButton);
        gui::HeadlessEditBox* box = platform.lastWindow()->editBox();
        ASSERT_NE(box, nullptr);
        box->type(text);
        box->pressReturn();
        idle();
    }
    // A right-click on the title strip, then a click on the menu's entry.
    void chooseInMenu(Scale chosen) {
        press(plus({0, 0}, {200, 8}), gui::kRightButton);
        ASSERT_NE(editor().sizeMenu(), nullptr);
        idle();
        const int entry = chosen == Scale::x100 ? 0 : chosen == Scale::x150 ? 1 : 2;
        press(centre(editor().sizeMenu()->entryRect(entry)), gui::kLeftButton);
        idle();
    }
};

// The gestures of the behaviour tests, in 1x pixels.
std::vector<Gesture> ScaleTest::gestures() {
    auto drag = [](int parameter, float start, gui::Point grip, std::vector<std::pair<gui::Point, int>> moves,
                   int knobMode = 0) {
        return [=](ScaleTest& t) {
            t.effect->setParameter(parameter, start);
            t.idle();
            t.dispatch(vst::effSetEditKnobMode, 0, knobMode);
            const gui::Point from = t.at(parameter, grip);
            std::vector<In> rounds;
            for (const auto& [move, buttons] : moves) rounds.push_back({t.plus(from, move), buttons});
            t.press(from, moves.empty() ? gui::kLeftButton : moves.front().second, rounds);
            t.dispatch(vst::effSetEditKnobMode, 0, 0);
        };
    };
    return {
        {"vertical slider drag", 8, drag(8, 0.5f, {11, 40}, {{{0, -20}, gui::kLeftButton}})},
        {"vertical slider Shift drag", 8,
         drag(8, 0.5f, {11, 40}, {{{0, 0}, kShiftLeft}, {{0, -30}, kShiftLeft}, {{0, -40}, kShiftLeft}})},
        {"horizontal slider drag", 56, drag(56, 0.3f, {26, 10}, {{{24, 0}, gui::kLeftButton}})},
        {"bottom bar slider drag", 92, drag(92, 0.3f, {26, 8}, {{{-12, 0}, gui::kLeftButton}})},
        {"slider Control-click", 8, drag(8, 0.9f, {11, 40}, {{{0, 0}, gui::kControlLeft}})},
        {"knob Control-click", 58, drag(58, 0.1f, {10, 10}, {{{0, 0}, gui::kControlLeft}})},
        {"knob circular press", 58, drag(58, 0.1f, {18, 4}, {{{0, 0}, gui::kLeftButton}})},
        {"knob circular drag", 66, drag(66, 0.5f, {10, 2}, {{{-8, 6}, gui::kLeftButton}})},
        {"knob linear drag", 58, drag(58, 0.25f, {10, 10}, {{{0, -50}, gui::kLeftButton}}, 2)},
        {"knob linear Shift drag", 58,
         drag(58, 0.25f, {10, 10}, {{{0, -30}, gui::kLeftButton}, {{0, -60}, kShiftLeft}}, 2)},
        {"toggle click", 107,
         [](ScaleTest& t) {
             t.effect->setParameter(107, 1.0f);
             t.idle();
             t.press(t.at(107, {9, 4}), gui::kLeftButton);
         }},
        {"typed value", 12,
         [](ScaleTest& t) {
             t.press(t.at(12, {2, 2}), gui::kRightButton);
             t.typeIntoStatus("0.25");
         }},
    };
}

TEST_F(ScaleTest, GesturesGiveTheSameValuesAtEverySize) {
    for (const Gesture& gesture : gestures()) {
        float reference = 0.0f;
        for (Scale scale : gui::kScales) {
            openAt(scale);
            gesture.make(*this);
            const float value = effect->getParameter(gesture.parameter);
            // 200 % doubles every length exactly; 150 % rounds halves, which
            // may cost up to half a 1x pixel of the 67-pixel travel.
            const float tolerance = scale == Scale::x150 ? 0.5f / 67.0f : 0.0f;
            if (scale == Scale::x100)
                reference = value;
            else
                EXPECT_NEAR(value, reference, tolerance) << gesture.what << " at " << gui::percentOf(scale);
            dispatch(vst::effEditClose);
        }
    }
}

TEST_F(ScaleTest, VoiceStepperAndTogglesWorkAtEverySize) {
    for (Scale scale : gui::kScales) {
        openAt(scale);
        effect->setParameter(104, 10.5f / 127.0f);
        idle();
        const gui::Control& up = *editor().control(editor::kControlCount - 4);
        press(centre(up.rect()), gui::kLeftButton);
        EXPECT_EQ(static_cast<int>(127.0f * effect->getParameter(104)), 11) << gui::percentOf(scale);
        dispatch(vst::effEditClose);
    }
}

TEST_F(ScaleTest, GeometryIsTheTableTimesTheScale) {
    const struct {
        Scale scale;
        vst::ERect rect;
        gui::Rect firstSlider;
        int knobRadiusPixels;
    } cases[] = {
        {Scale::x100, {0, 0, 410, 384}, {8, 34, 31, 116}, 10},
        {Scale::x150, {0, 0, 615, 576}, {12, 51, 47, 174}, 16},
        {Scale::x200, {0, 0, 820, 768}, {16, 68, 62, 232}, 21},
    };
    for (const auto& c : cases) {
        openAt(c.scale);
        const vst::ERect r = rect();
        EXPECT_EQ(r.bottom, c.rect.bottom);
        EXPECT_EQ(r.right, c.rect.right);
        EXPECT_EQ(platform.lastWindow()->screen().width(), c.rect.right);
        EXPECT_EQ(rectOf(8), c.firstSlider);
        EXPECT_EQ(rectOf(58).width() / 2, c.knobRadiusPixels);
        dispatch(vst::effEditClose);
    }
}

TEST_F(ScaleTest, TheUserWinsOverTheHostWhichWinsOverTheSystem) {
    platform.setSystemScale(1.4);  // nearest: 150 %
    EXPECT_EQ(rect().right, 576);
    sendHostScale(2.1f);
    EXPECT_EQ(rect().right, 768);
    ASSERT_TRUE(editor::saveScaleSetting(Scale::x100));
    // A new instance (as in a new process) reads the remembered size.
    effect = std::make_unique<SynthEffect>(&recordingHost);
    effect->open();
    editor().usePlatform(&platform);
    sendHostScale(2.0f);
    openEditor();
    EXPECT_EQ(scale(), Scale::x100);
}

TEST_F(ScaleTest, BrokenSettingsFilesFallBackToTheDefault) {
    const std::string path = editor::scaleSettingPath();
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    for (const char* text : {"size=125\n", "size=\n", "garbage", "size=1500", "\xff\xfe\x00"}) {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
        EXPECT_EQ(editor::loadScaleSetting(), std::nullopt) << text;
        openEditor();
        EXPECT_EQ(scale(), Scale::x100) << text;
        dispatch(vst::effEditClose);
    }
    std::filesystem::remove(path);
    std::filesystem::create_directories(path);  // a folder where the file should be
    EXPECT_EQ(editor::loadScaleSetting(), std::nullopt);
    EXPECT_FALSE(editor::saveScaleSetting(Scale::x200));
    std::filesystem::remove_all(path);
}

TEST_F(ScaleTest, SettingTextsAreReadStrictly) {
    const struct {
        const char* text;
        std::optional<Scale> scale;
    } cases[] = {
        {"size=150\n", Scale::x150},
        {"size=200", Scale::x200},
        {" size=100 \r\n", Scale::x100},
        {"other=1\nsize=150", Scale::x150},
        {"size=150\nsize=x", std::nullopt},
        {"size=99", std::nullopt},
        {"", std::nullopt},
        {"size=-150", std::nullopt},
        {"SIZE=150", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(editor::parseScaleSetting(c.text), c.scale) << c.text;
}

TEST_F(ScaleTest, HostScaleAfterOpenResizesWhereTheHostCan) {
    hostResizes = true;
    openEditor();
    sendHostScale(2.0f);
    EXPECT_EQ(scale(), Scale::x200);
    EXPECT_EQ(rect().right, 768);
    EXPECT_EQ(countCalls(vst::audioMasterSizeWindow, 768), 1u);
    EXPECT_EQ(platform.lastWindow()->screen().height(), 820);
}

TEST_F(ScaleTest, WithoutAResizingHostTheSizeWaitsForTheNextOpen) {
    openEditor();
    sendHostScale(1.5f);
    EXPECT_EQ(scale(), Scale::x100);
    EXPECT_EQ(rect().right, 384);
    EXPECT_EQ(status(), "150% later");
    dispatch(vst::effEditClose);
    EXPECT_EQ(rect().right, 576);
    openEditor();
    EXPECT_EQ(scale(), Scale::x150);
}

TEST_F(ScaleTest, MenuChoiceResizesAndSurvivesCloseReopenAndANewInstance) {
    hostResizes = true;
    openEditor();
    chooseInMenu(Scale::x150);
    EXPECT_EQ(scale(), Scale::x150);
    EXPECT_EQ(platform.lastWindow()->screen().width(), 576);
    EXPECT_EQ(editor::loadScaleSetting(), Scale::x150);
    dispatch(vst::effEditClose);
    openEditor();
    EXPECT_EQ(scale(), Scale::x150);
    effect = std::make_unique<SynthEffect>(&recordingHost);
    effect->open();
    editor().usePlatform(&platform);
    sendHostScale(2.0f);
    openEditor();
    EXPECT_EQ(scale(), Scale::x150);
    // A press beside the menu closes it without a choice.
    press(plus({0, 0}, {200, 8}), gui::kRightButton);
    ASSERT_NE(editor().sizeMenu(), nullptr);
    press(plus({0, 0}, {10, 300}), gui::kLeftButton);
    idle();
    EXPECT_EQ(editor().sizeMenu(), nullptr);
    EXPECT_EQ(scale(), Scale::x150);
}

TEST_F(ScaleTest, ScaleMessagesOfOtherKindsAndOddFactorsAreHandledSafely) {
    EXPECT_EQ(dispatch(vst::effVendorSpecific, 0x12345678, vst::kScaleMessageValue, nullptr, 2.0f), 0);
    EXPECT_EQ(rect().right, 384);
    for (float odd : {0.0f, -2.0f, 1e30f, std::numeric_limits<float>::quiet_NaN(), 1.24f}) {
        EXPECT_EQ(sendHostScale(odd), 1);
        EXPECT_EQ(rect().right, 384) << odd;
    }
    EXPECT_EQ(sendHostScale(1.26f), 1);
    EXPECT_EQ(rect().right, 576);
}

}  // namespace
}  // namespace velora::test
