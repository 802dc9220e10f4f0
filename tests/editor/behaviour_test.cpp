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
    // The handle sat 33 pixels down its 67-pixel travel; the grip keeps it
    // under the pointer, 20 pixels higher.
    EXPECT_EQ(after, 1.0f - 13.0f / 67.0f);
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
        {8.5f / 127.0f, 105, 9},  {8.5f / 127.0f, 106, 7},
        {1.0f, 105, 127},         {1.5f / 127.0f, 106, 1},  // at the ends: nothing changes
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
    press(inside, kLeftButton, {{inside, kLeftButton}, {outside, kLeftButton}, {inside, kLeftButton},
                                {outside, kLeftButton}, {inside, kLeftButton}});
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

    effect->setParameter(8, 0.3f);  // the parameter to learn
    idle();
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

}  // namespace
}  // namespace velora::test
