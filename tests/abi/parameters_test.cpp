// SPDX-License-Identifier: MIT
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "core/param_id.h"
#include "plugin_fixture.h"

namespace velora::test {
namespace {

using namespace vst;

struct Expected {
    int index;
    const char* name;
    const char* label;
};

// Every visible parameter with its name and label as the host shows them.
const Expected kVisible[] = {
    {0, "T Unison Diff", ""},     {2, "T Unison Amp", "dB"},
    {4, "A Unison Diff", ""},     {6, "A Unison Amp", "dB"},
    {8, "T Wave Mix", ""},        {10, "A Wave Mix", ""},
    {12, "A Freq Mult", ""},      {14, "A Noise Mix", "dB"},
    {16, "Vib. Freq", "Hz"},      {18, "Vib. Dev", ""},
    {20, "T Amp Max Mult", "dB"}, {22, "T Amp Decay", ""},
    {24, "T Amp Min Mult", "dB"}, {26, "A Amp Max Mult", "dB"},
    {28, "A Amp Decay", ""},      {30, "A Amp Min Mult", "dB"},
    {32, "T LP Max Mult", ""},    {34, "T LP Res", ""},
    {36, "T LP Decay", ""},       {38, "T LP Min Mult", ""},
    {40, "A LP Max Mult", ""},    {42, "A LP Res", ""},
    {44, "A LP Decay", ""},       {46, "A LP Min Mult", ""},
    {48, "Attack", "Seconds"},    {50, "Decay", "Seconds"},
    {52, "Sustain", "dB"},        {54, "Release", "Seconds"},
    {56, "Delay 1", ""},          {58, "Feedback 1", "%"},
    {60, "Delay 2", ""},          {62, "Feedback 2", "%"},
    {64, "XDelay On", ""},        {66, "XD Length L", ""},
    {68, "XD FB L", "%"},         {70, "XD Length R", ""},
    {72, "XD FB R", "%"},         {74, "XD Mix", "%"},
    {76, "Reverb On", ""},        {78, "Reverb Time", "Seconds"},
    {80, "Reverb Wet", "%"},      {82, "Reverb Dry", "%"},
    {84, "Dist. On/Off", ""},     {86, "Dist. Dry", ""},
    {88, "Dist. Wet", ""},        {90, "Panning", ""},
    {92, "Volume Major", "dB"},   {94, "Aftertouch On", ""},
    {96, "A Under ADSR", ""},     {98, "Midi Learn", ""},
    {99, "XD Tempo Sync", ""},    {101, "Volume Minor", "%"},
    {107, "Tone On", ""},         {108, "Attack On", ""},
};

TEST_F(PluginTest, NamesAndLabelsOfAllIndexes) {
    std::vector<std::string> names(109, "(hidden)"), labels(109, "");
    for (const Expected& e : kVisible) {
        names[static_cast<std::size_t>(e.index)] = e.name;
        labels[static_cast<std::size_t>(e.index)] = e.label;
    }
    for (int i = 0; i < 109; ++i) {
        EXPECT_EQ(plugin->parameterName(i), names[static_cast<std::size_t>(i)]) << i;
        EXPECT_EQ(plugin->parameterLabel(i), labels[static_cast<std::size_t>(i)]) << i;
    }
    for (int i : {109, 110, -1, 100000}) {
        EXPECT_EQ(plugin->parameterName(i), "(hidden)");
        EXPECT_EQ(plugin->parameterLabel(i), "");
        EXPECT_EQ(plugin->parameterDisplay(i), "");
        EXPECT_EQ(plugin->getParameter(i), 0.0f);
    }
}

TEST_F(PluginTest, DisplaysFollowEachParametersRule) {
    struct Case {
        int index;
        float value;
        const char* display;
    };
    const Case cases[] = {
        {0, 0.5f, "0.500000"},  {12, 1.0f, "4.000000"},  {16, 1.0f, "20.00000"}, {52, 0.0f, "-oo"},
        {52, 1.0f, "0.000000"}, {88, 0.0f, "-1.00000"},  {78, 1.0f, "5.000000"}, {92, 1.0f, "12.00000"},
        {92, 0.0f, "-oo"},      {101, 0.5f, "-6.02059"}, {64, 0.3f, "1.000000"}, {104, 8.0f / 127.0f, "8.000000"},
        {99, 0.0f, "0.000000"}, {66, 0.55f, "0.550000"},
    };
    for (const Case& c : cases) {
        plugin->setParameter(c.index, c.value);
        EXPECT_EQ(plugin->parameterDisplay(c.index), c.display) << c.index;
    }
    plugin->setParameter(assignmentParam(kParamToneUnisonDiff), 0.5f);
    EXPECT_EQ(plugin->parameterDisplay(assignmentParam(kParamToneUnisonDiff)), "");  // assignments show nothing
}

TEST_F(PluginTest, SwitchesSustainAndLearnStoreTheirAdjustedValues) {
    plugin->setParameter(kParamXDelayOn, 0.3f);
    EXPECT_EQ(plugin->getParameter(kParamXDelayOn), 1.0f);
    plugin->setParameter(kParamDistOn, -2.0f);
    EXPECT_EQ(plugin->getParameter(kParamDistOn), 1.0f);
    plugin->setParameter(kParamReverbOn, 0.0f);
    EXPECT_EQ(plugin->getParameter(kParamReverbOn), 0.0f);
    plugin->setParameter(kParamSustain, 1e-30f);
    EXPECT_EQ(plugin->getParameter(kParamSustain), 0.0f);
    plugin->setParameter(kParamToneOn, 0.25f);  // "Tone On" keeps its value
    EXPECT_EQ(plugin->getParameter(kParamToneOn), 0.25f);
    plugin->setParameter(kParamMidiLearn, 0.5f);  // exactly 0.5 does not arm learning
    EXPECT_EQ(plugin->getParameter(kParamMidiLearn), 0.5f);
    plugin->setParameter(assignmentParam(kParamToneUnisonAmp), 2.5f);  // never clamped
    EXPECT_EQ(plugin->getParameter(assignmentParam(kParamToneUnisonAmp)), 2.5f);
}

TEST_F(PluginTest, InertIndexesStoreNothing) {
    for (int i : {72, 73, 103, 105, 106}) {
        plugin->setParameter(i, 0.8f);
        EXPECT_EQ(plugin->getParameter(i), 0.0f) << i;
        EXPECT_EQ(plugin->parameterDisplay(i), "") << i;
    }
    EXPECT_EQ(plugin->parameterLabel(72), "%");
}

TEST(PluginParameters, TempoSyncNeedsAHostThatSuppliesTime) {
    for (VstIntPtr answer : {0, -1, 1}) {
        host::HostOptions options;
        options.canDoTimeInfo = answer;
        auto plugin = loadPlugin(options);
        plugin->setParameter(kParamXdTempoSync, 1.0f);
        EXPECT_EQ(plugin->getParameter(kParamXdTempoSync), answer == 1 ? 1.0f : 0.0f) << answer;
    }
}

TEST_F(PluginTest, TextEntryUsesEngineeringRanges) {
    char text[32] = "7.5";
    EXPECT_EQ(dispatch(effString2Parameter, 78, 0, text), 1);
    EXPECT_FLOAT_EQ(plugin->getParameter(kParamReverbTime), (7.5f - 0.1f) * 0.20408162f);
    std::strcpy(text, "0.05");
    EXPECT_EQ(dispatch(effString2Parameter, 78, 0, text), 1);
    EXPECT_EQ(plugin->getParameter(kParamReverbTime), 0.05f);
    std::strcpy(text, "0.5");
    EXPECT_EQ(dispatch(effString2Parameter, 88, 0, text), 1);
    EXPECT_EQ(plugin->getParameter(kParamDistWet), 0.75f);
    std::strcpy(text, "3");
    EXPECT_EQ(dispatch(effString2Parameter, 0, 0, text), 0);
    EXPECT_EQ(plugin->getParameter(kParamDistWet), 0.75f);
    std::strcpy(text, "0.5");
    EXPECT_EQ(dispatch(effString2Parameter, 72, 0, text), 0);   // inert: nothing is set
    EXPECT_EQ(dispatch(effString2Parameter, 500, 0, text), 0);  // outside the table
}

TEST_F(PluginTest, HostileValuesAreStoredAndDisplayedWithoutHarm) {
    const float hostile[] = {NAN, INFINITY, -INFINITY, 1e30f, -1e30f, 1e-45f, -0.0f};
    for (int i = 0; i < 109; ++i) {
        for (float v : hostile) {
            plugin->setParameter(i, v);
            EXPECT_LT(plugin->parameterDisplay(i).size(), 9u) << i;
        }
    }
    plugin->open();
    EXPECT_EQ(plugin->programName(0), "1: crystal pad");
}

}  // namespace
}  // namespace velora::test
