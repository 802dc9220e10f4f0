// SPDX-License-Identifier: MIT
#include <cstring>
#include <string>
#include <vector>

#include "core/param_id.h"
#include "plugin_fixture.h"

namespace velora::test {
namespace {

using namespace vst;

std::string currentName(host::PluginInstance& plugin) {
    char text[64] = {};
    plugin.dispatch(effGetProgramName, 0, 0, text);
    return text;
}

TEST_F(PluginTest, PlaceholderNamesUntilOpenThenTheFactoryBank) {
    EXPECT_EQ(plugin->programName(0), "      0 - default");
    EXPECT_EQ(plugin->programName(63), "     63 - default");
    EXPECT_EQ(plugin->getParameter(kParamToneAmpDecay), 0.2f);  // program 0's initial "T Amp Decay"
    plugin->open();
    EXPECT_EQ(plugin->programName(0), "1: crystal pad");
    EXPECT_EQ(plugin->programName(18), "19: synth string ensemb");
    EXPECT_EQ(plugin->programName(63), "64: voices on the wind");
    EXPECT_EQ(dispatch(effGetProgram), 0);
}

TEST_F(PluginTest, IndexedNamesRefuseIndexesOutsideTheBank) {
    char text[64] = "untouched";
    EXPECT_EQ(dispatch(effGetProgramNameIndexed, 64, 0, text), 0);
    EXPECT_EQ(dispatch(effGetProgramNameIndexed, -1, 0, text), 0);
    EXPECT_STREQ(text, "untouched");
    EXPECT_EQ(dispatch(effGetProgramNameIndexed, 5, 7, text), 1);  // category ignored
    EXPECT_STREQ(text, "      5 - default");
}

TEST_F(PluginTest, NamesAreCutTo23Characters) {
    char longName[] = "a name that is far longer than the program record can hold";
    dispatch(effSetProgramName, 0, 0, longName);
    EXPECT_EQ(currentName(*plugin), std::string(longName, 23));
    EXPECT_EQ(plugin->programName(1), "      1 - default");  // the next record is untouched
}

TEST_F(PluginTest, SelectingAndCopyingPrograms) {
    plugin->setProgram(3);
    EXPECT_EQ(dispatch(effGetProgram), 3);
    plugin->setProgram(64);
    plugin->setProgram(-1);
    dispatch(effSetProgram, 0, static_cast<VstIntPtr>(-4294967295LL));
    EXPECT_EQ(dispatch(effGetProgram), 3);

    char name[] = "mine";
    dispatch(effSetProgramName, 0, 0, name);
    plugin->setParameter(kParamToneUnisonDiff, 0.75f);
    EXPECT_EQ(dispatch(effCopyProgram, 10), 1);
    EXPECT_EQ(dispatch(effGetProgram), 3);
    EXPECT_EQ(dispatch(effCopyProgram, 3), 1);  // onto itself: unchanged
    EXPECT_EQ(dispatch(effCopyProgram, 64), 0);
    EXPECT_EQ(dispatch(effCopyProgram, -1), 0);
    plugin->setProgram(10);
    EXPECT_EQ(currentName(*plugin), "mine");
    EXPECT_EQ(plugin->getParameter(kParamToneUnisonDiff), 0.75f);
}

TEST_F(PluginTest, ProgramSelectionReappliesAndSwitchesLearningOff) {
    plugin->setParameter(kParamMidiLearn, 1.0f);
    plugin->setProgram(2);
    EXPECT_EQ(plugin->getParameter(kParamMidiLearn), 0.0f);
    plugin->setProgram(3);
    plugin->setParameter(kParamToneAmpDecay, 0.4f);
    plugin->setProgram(4);
    plugin->setProgram(3);
    EXPECT_EQ(plugin->getParameter(kParamToneAmpDecay), 0.4f);  // edits live in the program
}

// The controller map follows the assignment values alone, as a program load
// builds it: a cleared value unbinds, and of two parameters naming one
// controller the later in binding order wins, whichever was set last.
TEST_F(PluginTest, ControllerBindingsFollowTheAssignmentValues) {
    plugin->open();
    plugin->setSampleRate(44100.0f);
    plugin->resume();
    std::vector<float> left(64), right(64);
    auto controller = [&](int number, int value) {
        plugin->sendMidi({{0, {0xB0, static_cast<std::uint8_t>(number), static_cast<std::uint8_t>(value)}}});
        plugin->processReplacing(left.data(), right.data(), 64);
    };
    plugin->setParameter(assignmentParam(kParamToneWaveMix), 20.0f / 128.0f);  // controller 20 drives "T Wave Mix"
    controller(20, 127);
    EXPECT_EQ(plugin->getParameter(8), 1.0f);
    plugin->setParameter(9, 1.0f);  // no controller: unbound
    controller(20, 0);
    EXPECT_EQ(plugin->getParameter(8), 1.0f);
    EXPECT_EQ(plugin->getParameter(9), 1.0f);

    // "T Wave Mix" (assignment 9) is bound before "A Wave Mix" (assignment 11).
    for (auto order : {std::vector<int>{9, 11}, std::vector<int>{11, 9}}) {
        plugin->setParameter(8, 0.5f);
        plugin->setParameter(10, 0.5f);
        for (int assignment : order) plugin->setParameter(assignment, 21.0f / 128.0f);
        controller(21, 0);
        EXPECT_EQ(plugin->getParameter(8), 0.5f) << order[0];
        EXPECT_EQ(plugin->getParameter(10), 0.0f) << order[0];
    }
}

TEST_F(PluginTest, MidiLearnBindsTheLastTouchedParameter) {
    plugin->open();
    plugin->resume();
    std::vector<float> left(32), right(32);
    plugin->setParameter(9, 20.0f / 128.0f);  // controller 20 drove "T Wave Mix" before
    plugin->setParameter(8, 0.5f);
    plugin->setParameter(98, 1.0f);
    plugin->setParameter(78, 0.3f);  // "Reverb Time" is the target
    plugin->sendMidi({{0, {0xB0, 20, 5}}});
    plugin->processReplacing(left.data(), right.data(), 32);
    EXPECT_EQ(plugin->getParameter(98), 0.0f);
    EXPECT_EQ(plugin->getParameter(79), 20.0f / 128.0f);
    EXPECT_EQ(plugin->getParameter(9), 1.0f);  // the values say what the map does
    plugin->sendMidi({{0, {0xB0, 20, 127}}});
    plugin->processReplacing(left.data(), right.data(), 32);
    EXPECT_EQ(plugin->getParameter(78), 1.0f);
    EXPECT_EQ(plugin->getParameter(8), 0.5f);
}

TEST_F(PluginTest, LearningATargetWithoutAssignmentChangesNoNeighbour) {
    plugin->open();
    plugin->resume();
    std::vector<float> left(32), right(32);
    const float attackOn = plugin->getParameter(kParamAttackOn);
    plugin->setParameter(kParamMidiLearn, 1.0f);
    plugin->setParameter(kParamToneOn, 1.0f);  // "Tone On" has no assignment after it
    plugin->sendMidi({{0, {0xB0, 21, 5}}});
    plugin->processReplacing(left.data(), right.data(), 32);
    EXPECT_EQ(plugin->getParameter(kParamAttackOn), attackOn);
    EXPECT_EQ(plugin->getParameter(kParamMidiLearn), 0.0f);
}

}  // namespace
}  // namespace velora::test
