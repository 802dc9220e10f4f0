// SPDX-License-Identifier: MIT
// The LV2 user interface's mirror under the real editor on the headless
// window system: host port events move the controls, the user's moves go
// out as port writes inside touch gestures, learn prompts follow the port and
// the plug-in's reports, and the texts are the instance's own.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "editor/synth_editor.h"
#include "gui/platform/headless/headless_platform.h"
#include "gui/platform/headless/module_bitmaps.h"
#include "lv2/port_table.h"
#include "lv2/ui_mirror.h"
#include "lv2_test_support.h"
#include "shell/synth_effect.h"
#include "support/in_process_host.h"

namespace velora::lv2 {
namespace {

using test::PortCall;
using test::RecordingSink;

gui::Point centre(const gui::Rect& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

std::uint32_t port(std::int32_t param) { return static_cast<std::uint32_t>(portOfParam(param)); }

class UiMirrorTest : public ::testing::Test {
protected:
    UiMirrorTest() {
        gui::addModuleBitmaps(platform, 0);
        mirror.attach(&editor);
    }
    ~UiMirrorTest() override {
        editor.close();
        mirror.attach(nullptr);
    }
    // Opens as a host does: the window, every port's value, then idle.
    void open() {
        ASSERT_EQ(editor.open(&parent), 1);
        platform.lastWindow()->exposeAll();
        mirror.endOpening();
        editor.idle();
    }
    gui::Control& control(std::int32_t param) { return *editor.control(editor::rowOfParameter(param)); }
    gui::Point middleOf(std::int32_t param) { return centre(control(param).rect()); }
    void press(gui::Point where, int buttons, std::vector<gui::HeadlessPlatform::InputState> rounds = {}) {
        platform.scriptDrag(std::move(rounds));
        platform.lastWindow()->press(where, buttons);
        editor.idle();
    }
    void type(const std::string& text) {
        press(centre(editor.statusField()->rect()), gui::kLeftButton);
        gui::HeadlessEditBox* box = platform.lastWindow()->editBox();
        ASSERT_NE(box, nullptr);
        box->type(text);
        box->pressReturn();
        editor.idle();
    }
    std::string status() { return editor.statusField()->text(); }
    std::string display(std::int32_t param) {
        char text[64];
        mirror.getParameterDisplay(param, text);
        return text;
    }

    gui::HeadlessPlatform platform;  // outlives the editor
    RecordingSink sink;
    UiMirror mirror{sink};
    editor::SynthEditor editor{mirror, &platform};
    int parent = 0;
};

TEST_F(UiMirrorTest, HostPortValuesAreStoredAsTheInstanceStoresThemAndMoveTheControls) {
    struct Case {
        std::int32_t param;
        float portValue;
        float expected;
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const Case cases[] = {
        {kParamReverbOn, 1.0f, 1.0f},      {kParamReverbOn, 0.3f, 1.0f},    {kParamReverbOn, 0.0f, 0.0f},
        {kParamToneWaveMix, 0.25f, 0.25f}, {kParamToneWaveMix, 1.7f, 1.0f}, {kParamToneWaveMix, -3.0f, 0.0f},
        {kParamToneWaveMix, nan, 0.0f},  // ignored: the value before stays
        {kParamXdTempoSync, 1.0f, 1.0f},   {kParamFeedback1, inf, 1.0f},
    };
    open();
    for (const Case& c : cases) {
        mirror.portValue(port(c.param), c.portValue);
        editor.idle();
        EXPECT_EQ(mirror.getParameter(c.param), c.expected) << c.param << " " << c.portValue;
        EXPECT_EQ(control(c.param).getValue(), c.expected) << c.param << " " << c.portValue;
    }
    EXPECT_TRUE(sink.calls.empty()) << "a host's own value never goes back to it";
}

TEST_F(UiMirrorTest, TheVoicePortCountsVoicesAndOtherPortsAreIgnored) {
    struct Case {
        float portValue;
        int voices;
    };
    const Case cases[] = {{12.0f, 12},
                          {12.4f, 12},
                          {12.6f, 13},
                          {500.0f, 127},
                          {0.0f, 1},
                          {-7.0f, 1},
                          {std::numeric_limits<float>::infinity(), 127}};
    for (const Case& c : cases) {
        mirror.portValue(port(kParamVoiceLimit), c.portValue);
        EXPECT_EQ(mirror.voiceLimit(), c.voices) << c.portValue;
        EXPECT_EQ(voicesOfParameter(mirror.getParameter(kParamVoiceLimit)), c.voices) << c.portValue;
    }
    for (int voices = 1; voices <= 127; ++voices) EXPECT_EQ(voicesOfParameter(parameterOfVoices(voices)), voices);
    const float before = mirror.getParameter(kParamReverbOn);
    for (std::uint32_t other : {0u, 1u, 2u, 3u, kPortLatency, kPortCount, 9999u}) mirror.portValue(other, 1.0f - before);
    EXPECT_EQ(mirror.getParameter(kParamReverbOn), before);
}

TEST_F(UiMirrorTest, ValuesHandedOverAtOpeningShowWithoutAStatusText) {
    ASSERT_EQ(editor.open(&parent), 1);
    platform.lastWindow()->exposeAll();
    mirror.portValue(port(kParamToneWaveMix), 0.75f);
    mirror.portValue(port(kParamReverbOn), 0.0f);
    mirror.endOpening();
    editor.idle();
    EXPECT_EQ(control(kParamToneWaveMix).getValue(), 0.75f);
    EXPECT_EQ(control(kParamReverbOn).getValue(), 0.0f);
    EXPECT_EQ(status(), "");
    // Afterwards a host's change shows like an automated one.
    mirror.portValue(port(kParamToneWaveMix), 0.5f);
    editor.idle();
    EXPECT_EQ(status(), display(kParamToneWaveMix));
}

TEST_F(UiMirrorTest, AClickOnASwitchIsOneTouchGestureAroundItsWrite) {
    open();
    mirror.portValue(port(kParamReverbOn), 1.0f);
    editor.idle();
    sink.calls.clear();
    press(middleOf(kParamReverbOn), gui::kLeftButton);
    const std::uint32_t reverb = port(kParamReverbOn);
    const std::vector<PortCall> expected = {
        {PortCall::Grab, reverb, 0.0f}, {PortCall::Write, reverb, 0.0f}, {PortCall::Release, reverb, 0.0f}};
    EXPECT_EQ(sink.calls, expected);
    EXPECT_EQ(mirror.getParameter(kParamReverbOn), 0.0f);
    EXPECT_EQ(status(), display(kParamReverbOn));
}

TEST_F(UiMirrorTest, ADragWritesEveryNewValueInsideOneGesture) {
    open();
    mirror.portValue(port(kParamToneWaveMix), 0.5f);
    sink.calls.clear();
    const gui::Rect slot = control(kParamToneWaveMix).rect();
    const gui::Point grip{slot.left + 11, slot.top + 33 + 7};  // the handle at 0.5
    press(grip, gui::kLeftButton,
          {{{grip.h, grip.v + 10}, gui::kLeftButton}, {{grip.h, grip.v + 20}, gui::kLeftButton}});
    const std::uint32_t wave = port(kParamToneWaveMix);
    ASSERT_GE(sink.calls.size(), 3u);
    EXPECT_EQ(sink.calls.front(), (PortCall{PortCall::Grab, wave, 0.0f}));
    EXPECT_EQ(sink.calls.back(), (PortCall{PortCall::Release, wave, 0.0f}));
    for (std::size_t i = 1; i + 1 < sink.calls.size(); ++i) {
        EXPECT_EQ(sink.calls[i].kind, PortCall::Write);
        EXPECT_EQ(sink.calls[i].port, wave);
    }
    EXPECT_EQ(sink.calls[sink.calls.size() - 2].value, mirror.getParameter(kParamToneWaveMix));
    EXPECT_LT(mirror.getParameter(kParamToneWaveMix), 0.5f);
}

TEST_F(UiMirrorTest, TypedValuesAndVoiceStepsWriteThroughTheirPorts) {
    open();
    const std::uint32_t freq = port(kParamAttackFreqMult), voices = port(kParamVoiceLimit);
    press(control(kParamAttackFreqMult).rect().topLeft(), gui::kRightButton);  // touch "A Freq Mult"
    sink.calls.clear();
    type("2.5");  // in the engineering range 1..4: 0.5
    EXPECT_EQ(sink.calls,
              (std::vector<PortCall>{
                  {PortCall::Grab, freq, 0.0f}, {PortCall::Write, freq, 0.5f}, {PortCall::Release, freq, 0.0f}}));
    EXPECT_EQ(control(kParamAttackFreqMult).getValue(), 0.5f);
    sink.calls.clear();
    type("7");  // outside both ranges: refused
    EXPECT_TRUE(sink.calls.empty());

    struct Step {
        float start;
        int button;
        int expected;
    };
    const Step steps[] = {{8.0f, editor::kVoiceUpTag, 9},
                          {8.0f, editor::kVoiceDownTag, 7},
                          {127.0f, editor::kVoiceUpTag, 127},
                          {1.0f, editor::kVoiceDownTag, 1}};
    for (const Step& s : steps) {
        mirror.portValue(voices, s.start);
        sink.calls.clear();
        press(centre(editor.control(s.button == editor::kVoiceUpTag ? 52 : 53)->rect()), gui::kLeftButton);
        EXPECT_EQ(mirror.voiceLimit(), s.expected) << s.start;
        if (s.expected != static_cast<int>(s.start)) {
            EXPECT_EQ(sink.calls, (std::vector<PortCall>{{PortCall::Grab, voices, 0.0f},
                                                         {PortCall::Write, voices, static_cast<float>(s.expected)},
                                                         {PortCall::Release, voices, 0.0f}}));
        } else {
            EXPECT_TRUE(sink.calls.empty()) << s.start;
        }
        char expected[16];
        std::snprintf(expected, sizeof expected, "%d.", s.expected);
        EXPECT_EQ(status().rfind(expected, 0), 0u) << status();
    }
}

TEST_F(UiMirrorTest, LearnPromptsFollowTheLearnPortTheUserAndThePluginsReports) {
    open();
    press(middleOf(kParamMidiLearn), gui::kLeftButton);  // "Midi Learn" on
    EXPECT_EQ(sink.calls.back(), (PortCall{PortCall::Release, port(kParamMidiLearn), 0.0f}));
    EXPECT_TRUE(mirror.isLearning());
    EXPECT_EQ(status(), "MoveParam");

    mirror.portValue(port(kParamToneWaveMix), 0.3f);  // the parameter to learn
    editor.idle();
    EXPECT_EQ(mirror.getLearnTarget(), kParamToneWaveMix);
    EXPECT_EQ(status(), "MoveCC");

    // The plug-in bound a controller: it reports learning over and the port.
    mirror.learnState(false, kParamToneWaveMix);
    mirror.pluginValue(port(kParamMidiLearn), 0.0f, "0.000000");
    editor.idle();
    EXPECT_FALSE(mirror.isLearning());
    EXPECT_EQ(control(kParamMidiLearn).getValue(), 0.0f);
    EXPECT_EQ(status(), "0.000000");

    // Learning armed inside the plug-in (its state restored, say).
    mirror.learnState(true, -1);
    editor.idle();
    EXPECT_EQ(status(), "MoveParam");
    mirror.learnState(true, kParamReverbTime);
    editor.idle();
    EXPECT_EQ(mirror.getLearnTarget(), kParamReverbTime);
    EXPECT_EQ(status(), "MoveCC");
}

TEST_F(UiMirrorTest, TextsAreTheInstancesForTheSameValues) {
    SynthEffect effect(&velora::test::inProcessHost);
    effect.open();
    const float values[] = {0.0f, 0.05f, 0.3f, 0.5f, 0.77f, 1.0f};
    for (bool synced : {false, true}) {
        effect.setParameter(kParamXdTempoSync, synced ? 1.0f : 0.0f);
        mirror.portValue(port(kParamXdTempoSync), synced ? 1.0f : 0.0f);
        for (const ControlPort& row : kControlPorts) {
            if (row.param == kParamVoiceLimit || row.param == kParamXdTempoSync) continue;
            for (float v : values) {
                effect.setParameter(row.param, v);
                mirror.portValue(port(row.param), v);
                char theirs[64] = {};
                effect.getParameterDisplay(row.param, theirs);
                EXPECT_EQ(display(row.param), theirs) << row.symbol << " " << v << (synced ? " synced" : "");
            }
        }
    }
}

TEST_F(UiMirrorTest, ThePluginsTextShowsUntilAnythingChanges) {
    mirror.pluginValue(port(kParamVoiceLimit), 9.0f, "nine");
    EXPECT_EQ(display(kParamVoiceLimit), "nine");
    EXPECT_EQ(mirror.voiceLimit(), 9);
    mirror.portValue(port(kParamReverbOn), 1.0f - mirror.getParameter(kParamReverbOn));
    EXPECT_EQ(display(kParamVoiceLimit), "9.000100");  // the shell's text again, as VST 2 shows it

    mirror.pluginValue(port(kParamXdLengthL), 0.25f, "1/8");
    mirror.portValue(port(kParamXdLengthL), 0.25f);  // the same value: the text holds
    EXPECT_EQ(display(kParamXdLengthL), "1/8");
    mirror.portValue(port(kParamXdLengthL), 0.5f);
    EXPECT_NE(display(kParamXdLengthL), "1/8");
}

}  // namespace
}  // namespace velora::lv2
