// SPDX-License-Identifier: MIT
// What the controls do to the instance and what the status text shows.
#include <algorithm>

#include "editor_fixture.h"

namespace velora::test {
namespace {

using gui::kLeftButton;
using gui::kRightButton;
using In = gui::HeadlessPlatform::InputState;

constexpr int kVoiceLimit = 104;

int voiceCount(SynthEffect& effect) { return static_cast<int>(127.0 * effect.getParameter(kVoiceLimit)); }

TEST_F(EditorTest, DraggingASliderAutomatesItsParameterInsideEditBrackets) {
    openEditor();
    effect->setParameter(8, 0.5f);  // "T Wave Mix"
    idle();
    const gui::Rect r = rectOf(8);
    const gui::Point grip{r.left + 10, r.top + 33 + 7};  // the handle's middle
    calls.clear();
    press(grip, kLeftButton, {{{grip.h, grip.v - 20}, kLeftButton}});

    const float after = effect->getParameter(8);
    // 20 pixels up the 67-pixel travel from where the value was.
    EXPECT_EQ(after, 0.5f + 20.0f / 67.0f);
    EXPECT_EQ(controlOf(8).getValue(), after);
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(calls.front().opcode, vst::audioMasterBeginEdit);
    EXPECT_EQ(calls.front().index, 8);
    EXPECT_EQ(calls.back().opcode, vst::audioMasterEndEdit);
    EXPECT_EQ(calls.back().index, 8);
    EXPECT_GE(countCalls(vst::audioMasterAutomate, 8), 1u);
    EXPECT_EQ(editor().lastTouchedParam(), 8);
    EXPECT_EQ(status(), display(8));
}

// A press on the drawn handle that does not move, and drags that hold
// still between moves: the value moves only with the pointer, and the host
// hears each new value once.
TEST_F(EditorTest, ClicksLeaveValuesAndDragsAutomateEachNewValueOnce) {
    struct Case {
        const char* what;
        int parameter;
        int knobMode;
        gui::Point grip;  // inside the control, on the handle at 0.3
        gui::Point step;  // pointer movement between held rounds
        int moves;        // each held for ten rounds
        float perPixel;
    };
    const Case cases[] = {
        {"T Wave Mix", 8, 0, {11, 52}, {0, -1}, 0, 1.0f / 67.0f},
        {"Delay 1", 56, 0, {26, 10}, {1, 0}, 0, 1.0f / 66.0f},
        {"Volume Major", 92, 0, {26, 8}, {1, 0}, 0, 1.0f / 66.0f},
        {"Feedback 1, linear", 58, 2, {10, 10}, {0, -1}, 0, 0.005f},
        {"T Wave Mix dragged", 8, 0, {11, 52}, {0, -1}, 6, 1.0f / 67.0f},
        {"Delay 1 dragged", 56, 0, {26, 10}, {1, 0}, 6, 1.0f / 66.0f},
        {"Feedback 1 dragged", 58, 2, {10, 10}, {0, -1}, 6, 0.005f},
    };
    openEditor();
    for (const Case& c : cases) {
        dispatch(vst::effSetEditKnobMode, 0, c.knobMode);
        effect->setParameter(c.parameter, 0.3f);
        idle();
        const gui::Point origin = rectOf(c.parameter).topLeft();
        const gui::Point at{origin.h + c.grip.h, origin.v + c.grip.v};
        std::vector<In> rounds(10, In{at, kLeftButton});
        for (int move = 1; move <= c.moves; ++move)
            rounds.insert(rounds.end(), 10, In{{at.h + move * c.step.h, at.v + move * c.step.v}, kLeftButton});
        calls.clear();
        press(at, kLeftButton, rounds);
        EXPECT_NEAR(effect->getParameter(c.parameter), 0.3f + static_cast<float>(c.moves) * c.perPixel, 1e-6f)
            << c.what;
        if (c.moves == 0) {
            EXPECT_EQ(effect->getParameter(c.parameter), 0.3f) << c.what;
        }
        EXPECT_EQ(countCalls(vst::audioMasterAutomate, c.parameter), static_cast<std::size_t>(c.moves)) << c.what;
        EXPECT_EQ(countCalls(vst::audioMasterBeginEdit, c.parameter), 1u) << c.what;
    }
    dispatch(vst::effSetEditKnobMode, 0, 0);
}

// At the ends of travel the handle is drawn raised to the travel's start:
// it is grabbed there, and the track where it would sit unraised is not.
TEST_F(EditorTest, SliderHandlesAreGrabbedWhereTheyAreDrawn) {
    struct Case {
        int parameter;
        float value;
        gui::Point at;  // in the frame
        bool grabs;
    };
    openEditor();
    const gui::Rect wave = rectOf(8), volume = rectOf(92);
    const Case cases[] = {
        {8, 1.0f, {wave.left + 11, wave.top + 15}, true}, {8, 1.0f, {wave.left + 11, wave.top + 16}, true},
        {8, 1.0f, {wave.left + 11, wave.top + 1}, false}, {92, 0.006f, {72, volume.top + 8}, true},
        {92, 0.006f, {73, volume.top + 8}, true},         {92, 0.006f, {57, volume.top + 8}, false},
    };
    for (const Case& c : cases) {
        effect->setParameter(c.parameter, c.value);
        idle();
        calls.clear();
        press(c.at, kLeftButton, {{c.at, kLeftButton}, {{c.at.h + 1, c.at.v + 1}, kLeftButton}});
        EXPECT_EQ(countCalls(vst::audioMasterBeginEdit, c.parameter), c.grabs ? 1u : 0u)
            << c.parameter << " " << c.at.h;
        EXPECT_EQ(countCalls(vst::audioMasterAutomate, c.parameter), c.grabs ? 1u : 0u) << c.parameter << " " << c.at.h;
    }
}

TEST_F(EditorTest, RightPressOnAKnobShowsItsValueWithoutMovingIt) {
    openEditor();
    const float before = effect->getParameter(58);  // "Feedback 1"
    calls.clear();
    press(centre(rectOf(58)), kRightButton);
    EXPECT_EQ(effect->getParameter(58), before);
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(status(), display(58));
    EXPECT_EQ(editor().lastTouchedParam(), 58);
}

TEST_F(EditorTest, VoiceLimitButtonsStepOnceWithoutTellingTheHost) {
    struct Case {
        float start;
        int button;    // 105 up, 106 down
        int expected;  // voices afterwards
    };
    const Case cases[] = {
        {8.5f / 127.0f, 105, 9},     {8.5f / 127.0f, 106, 7}, {1.0f, 105, 127},
        {1.5f / 127.0f, 106, 1},  // at the ends: nothing changes
        {126.5f / 127.0f, 105, 127}, {2.5f / 127.0f, 106, 1},
    };
    openEditor();
    for (const Case& c : cases) {
        effect->setParameter(kVoiceLimit, c.start);
        const float before = effect->getParameter(kVoiceLimit);
        calls.clear();
        press(centre(editor().control(c.button == 105 ? 52 : 53)->rect()), kLeftButton);
        EXPECT_EQ(voiceCount(*effect), c.expected) << c.start << " " << c.button;
        if (voiceCount(*effect) == static_cast<int>(127.0 * before)) {
            EXPECT_EQ(effect->getParameter(kVoiceLimit), before);
        }
        EXPECT_EQ(countCalls(vst::audioMasterAutomate, kVoiceLimit), 0u);
        EXPECT_EQ(status(), display(kVoiceLimit));
    }
}

TEST_F(EditorTest, HoldingTheUpButtonStepsAgainOnEveryReentry) {
    openEditor();
    effect->setParameter(kVoiceLimit, 8.5f / 127.0f);
    const gui::Rect up = editor().control(52)->rect();
    const gui::Point inside = centre(up), outside{up.left - 20, up.top};
    press(inside, kLeftButton,
          {{inside, kLeftButton},
           {outside, kLeftButton},
           {inside, kLeftButton},
           {outside, kLeftButton},
           {inside, kLeftButton}});
    EXPECT_EQ(voiceCount(*effect), 11);
    EXPECT_EQ(editor().control(52)->getValue(), 0.0f);
}

// Each round of a held control sleeps 4 ms; every 50 ms the editor repaints
// and gives the host its idle call, whose own editor idle is kept out.
TEST_F(EditorTest, HeldControlIdlesTheHostEveryFiftyMilliseconds) {
    openEditor();
    const gui::Point inside = centre(editor().control(52)->rect());
    calls.clear();
    const std::uint32_t start = platform.tickCount();
    press(inside, kLeftButton, std::vector<In>(130, In{inside, kLeftButton}));
    EXPECT_EQ(platform.tickCount() - start, 4u * 130u);  // 131 rounds; the first idles at once
    EXPECT_EQ(countCalls(vst::audioMasterIdle, 0), 11u);
}

class TypedValueTest : public EditorTest {
protected:
    void type(const std::string& text) {
        press(centre(editor().statusField()->rect()), kLeftButton);
        gui::HeadlessEditBox* box = platform.lastWindow()->editBox();
        ASSERT_NE(box, nullptr);
        box->type(text);
        box->pressReturn();
        idle();
    }
};

TEST_F(TypedValueTest, TypedTextSetsTheParameterTouchedLast) {
    openEditor();
    press(rectOf(12).topLeft(), kRightButton);  // touch "A Freq Mult"
    calls.clear();
    type("0.5");
    EXPECT_EQ(effect->getParameter(12), 0.5f);
    EXPECT_EQ(controlOf(12).getValue(), 0.5f);
    EXPECT_EQ(status(), display(12));
    EXPECT_EQ(countCalls(vst::audioMasterAutomate, 12), 0u);

    type("5");  // outside the parameter's range: refused, left on screen
    EXPECT_EQ(effect->getParameter(12), 0.5f);
    EXPECT_EQ(status(), "5");
}

TEST_F(TypedValueTest, TypingBeforeAnyTouchChangesNothing) {
    openEditor();
    const float before = effect->getParameter(12);
    type("0.5");
    EXPECT_EQ(effect->getParameter(12), before);
    EXPECT_EQ(status(), "0.5");
}

TEST_F(TypedValueTest, LastTouchedParameterSurvivesCloseAndReopen) {
    openEditor();
    press(rectOf(12).topLeft(), kRightButton);
    dispatch(vst::effEditClose);
    openEditor();
    EXPECT_EQ(status(), "");
    type("0.25");
    EXPECT_EQ(effect->getParameter(12), 0.25f);
}

TEST_F(EditorTest, MidiLearnPromptsThenShowsValuesAgain) {
    openEditor();
    press(centre(rectOf(98)), kLeftButton);  // "Midi Learn" on
    EXPECT_EQ(controlOf(98).getValue(), 1.0f);
    EXPECT_EQ(status(), "MoveParam");

    // Presses that move nothing leave the prompt.
    press(centre(rectOf(58)), kRightButton);
    const gui::Point handle{rectOf(8).left + 11, rectOf(8).top + 30};  // at the program's value
    press(handle, kLeftButton, {{handle, kLeftButton}});
    idle();
    EXPECT_EQ(status(), "MoveParam");
    EXPECT_EQ(effect->getLearnTarget(), 110);

    effect->setParameter(8, 0.3f);  // the parameter to learn
    idle();
    EXPECT_EQ(status(), "MoveCC");
    press(centre(rectOf(58)), kRightButton);
    EXPECT_EQ(status(), "MoveCC");

    // A controller arrives on the audio thread; learning ends.
    effect->resume();
    vst::VstMidiEvent cc{};
    cc.type = vst::kVstMidiType;
    cc.byteSize = sizeof cc;
    cc.midiData[0] = static_cast<char>(0xB0);
    cc.midiData[1] = 20;
    cc.midiData[2] = 64;
    vst::VstEvents events{};
    events.numEvents = 1;
    events.events[0] = reinterpret_cast<vst::VstEvent*>(&cc);
    effect->processEvents(&events);
    float left[16], right[16];
    float* outputs[] = {left, right};
    effect->processReplacing(nullptr, outputs, 16);
    idle();
    EXPECT_FALSE(effect->isLearning());
    EXPECT_EQ(controlOf(98).getValue(), 0.0f);
    EXPECT_EQ(status(), display(98));

    effect->setParameter(8, 0.6f);
    idle();
    EXPECT_EQ(status(), display(8));
}

TEST_F(EditorTest, ChangesWithoutAControlShowOnlyInTheStatus) {
    openEditor();
    for (int index : {72, kVoiceLimit}) {
        std::vector<float> before;
        for (int row = 0; row < editor::kControlCount; ++row) before.push_back(editor().control(row)->getValue());
        effect->setParameter(index, 0.7f);
        idle();
        for (int row = 0; row < editor::kControlCount; ++row)
            EXPECT_EQ(editor().control(row)->getValue(), before[static_cast<std::size_t>(row)]) << index << " " << row;
        EXPECT_EQ(status(), display(index));
    }
}

TEST_F(EditorTest, KnobModeOfTheHostChoosesLinearDrags) {
    openEditor();
    effect->setParameter(58, 0.25f);
    idle();
    const gui::Point start = centre(rectOf(58));
    EXPECT_EQ(dispatch(vst::effSetEditKnobMode, 0, 2), 1);
    press(start, kLeftButton, {{{start.h, start.v - 50}, kLeftButton}});  // a quarter of the 200 pixels
    EXPECT_NEAR(effect->getParameter(58), 0.5f, 1e-6f);
    EXPECT_EQ(dispatch(vst::effSetEditKnobMode, 0, 0), 1);
}

TEST_F(EditorTest, HostKeysReachTheControlDraggedLast) {
    openEditor();
    press(rectOf(58).topLeft(), kLeftButton);  // "Feedback 1" takes the focus
    const float before = effect->getParameter(58);
    EXPECT_EQ(dispatch(vst::effEditKeyDown, 0, gui::kKeyUp, nullptr, 0.0f), 1);
    EXPECT_NEAR(effect->getParameter(58), std::min(1.0f, before + 0.1f), 1e-6f);
    EXPECT_EQ(dispatch(vst::effEditKeyDown, 'x', 0, nullptr, 0.0f), -1);
}

// While a value is being typed, keys the host forwards are declined (the
// host keeps them); none reaches a control.
TEST_F(EditorTest, HostKeysAreDeclinedWhileTheStatusFieldIsEdited) {
    openEditor();
    press(centre(editor().statusField()->rect()), kLeftButton);
    ASSERT_NE(platform.lastWindow()->editBox(), nullptr);
    std::vector<float> before;
    for (int row = 0; row < editor::kControlCount; ++row) before.push_back(editor().control(row)->getValue());
    calls.clear();
    for (std::uint8_t key : {gui::kKeyUp, gui::kKeyDown, gui::kKeyLeft, gui::kKeyRight})
        for (std::uint8_t modifier : {0, 1}) {
            EXPECT_EQ(dispatch(vst::effEditKeyDown, 0, key, nullptr, modifier), -1) << int(key);
            EXPECT_EQ(dispatch(vst::effEditKeyUp, 0, key, nullptr, modifier), -1) << int(key);
        }
    for (int row = 0; row < editor::kControlCount; ++row)
        EXPECT_EQ(editor().control(row)->getValue(), before[static_cast<std::size_t>(row)]) << row;
    EXPECT_EQ(countCalls(vst::audioMasterAutomate, 92), 0u);
    ASSERT_NE(platform.lastWindow()->editBox(), nullptr);  // still typing

    // Once the edit ends, the keys reach the controls again.
    platform.lastWindow()->editBox()->pressReturn();
    EXPECT_EQ(dispatch(vst::effEditKeyDown, 0, gui::kKeyUp, nullptr, 0.0f), 1);
}

}  // namespace
}  // namespace velora::test
