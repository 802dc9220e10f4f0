// SPDX-License-Identifier: MIT
#include <climits>
#include <cmath>
#include <cstring>
#include <vector>

#include "plugin_fixture.h"

namespace velora::test {
namespace {

using namespace vst;

TEST_F(PluginTest, FixedAnswersOfTheDispatcher) {
    struct Row {
        VstInt32 opcode;
        VstIntPtr value;
        VstIntPtr expected;
    };
    const Row rows[] = {
        {effGetVu, 0, 0},
        {effIdentify, 0, 0x4E764566},
        {effGetChunk, 0, 0},
        {effSetChunk, 0, 0},
        {effCanBeAutomated, 0, 1},
        {effGetNumProgramCategories, 0, 1},
        {effConnectInput, 0, 1},
        {effConnectOutput, 0, 1},
        {effGetPlugCategory, 0, 2},
        {effGetVendorVersion, 0, 1},
        {effKeysRequired, 0, 1},
        {effGetVstVersion, 0, 2300},
        {effGetCurrentMidiProgram, 0, -1},
        {effSetTotalSampleToProcess, 12345, 12345},
        {effEditGetRect, 0, 0},
        {effEditOpen, 0, 0},
        {effEditClose, 0, 0},
        {effEditIdle, 0, 0},
        {effEditKeyDown, 0, -1},
        {effEditKeyUp, 0, -1},
        {effSetEditKnobMode, 0, 1},
        {effGetTailSize, 0, 0},
        {effSetBypass, 1, 0},
        {effBeginSetProgram, 0, 0},
        {effStartProcess, 0, 0},
        {effGetParameterProperties, 0, 0},
        {77, 0, 0},
        {1000, 0, 0},
        {-1, 0, 0},
        {INT_MIN, 0, 0},
        {INT_MAX, 0, 0},
    };
    for (const Row& row : rows) EXPECT_EQ(dispatch(row.opcode, 0, row.value), row.expected) << row.opcode;
}

// The plug-in has an editor; until a native window backend exists, opening
// it answers 0 and leaves the host's window alone.
TEST_F(PluginTest, EditorRectangleAndOpenWithoutPlatform) {
    ERect* rect = nullptr;
    ASSERT_EQ(dispatch(effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->top, 0);
    EXPECT_EQ(rect->left, 0);
    EXPECT_EQ(rect->bottom, 410);
    EXPECT_EQ(rect->right, 384);
    int parent = 0;
    EXPECT_EQ(dispatch(effEditOpen, 0, 0, &parent), 0);
    EXPECT_EQ(dispatch(effEditIdle), 0);
    EXPECT_EQ(dispatch(effEditKeyDown, 'a', 0, nullptr, 1.0f), -1);
    EXPECT_EQ(dispatch(effEditClose), 0);
}

TEST_F(PluginTest, SpeakerArrangementPointersAreCleared) {
    int dummy = 0;
    void* input = &dummy;
    void* output = &dummy;
    EXPECT_EQ(dispatch(effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&input), &output), 0);
    EXPECT_EQ(input, nullptr);
    EXPECT_EQ(output, nullptr);
    EXPECT_EQ(dispatch(effGetSpeakerArrangement, 0, 0, nullptr), 0);
}

TEST_F(PluginTest, BlockSizeAndSampleRateStoreWithoutRecomputing) {
    EXPECT_EQ(dispatch(effSetBlockSizeAndSampleRate, 0, 256, nullptr, 48000.0f), 1);
    EXPECT_EQ(dispatch(effSetBlockSize, 0, 512), 0);
    EXPECT_EQ(dispatch(effSetSampleRate, 0, 0, nullptr, 96000.0f), 0);
    EXPECT_EQ(dispatch(effMainsChanged, 0, 0), 0);
    EXPECT_EQ(dispatch(effMainsChanged, 0, 5), 0);
    EXPECT_GE(plugin->countHostCalls(audioMasterWantMidi), 1u);  // resume asks for MIDI
}

TEST_F(PluginTest, NullPayloadsAreNeverDereferenced) {
    for (VstInt32 opcode = -2; opcode < 80; ++opcode) {
        if (opcode == effClose) continue;
        dispatch(opcode, 0, 0, nullptr, 0.0f);
        // effGetSpeakerArrangement takes a pointer in value as well.
        dispatch(opcode, 5, opcode == effGetSpeakerArrangement ? 0 : 1, nullptr, 1.0f);
    }
    EXPECT_EQ(dispatch(effString2Parameter, 0, 0, nullptr), 1);   // text entry is supported
    EXPECT_EQ(dispatch(effString2Parameter, 72, 0, nullptr), 0);  // nothing could be set there
    EXPECT_EQ(dispatch(effGetProgramNameIndexed, 0, 0, nullptr), 0);
}

TEST_F(PluginTest, HostileSampleRatesAreIgnored) {
    for (float rate : {0.0f, -44100.0f, NAN, INFINITY, -INFINITY}) {
        dispatch(effSetSampleRate, 0, 0, nullptr, rate);
        dispatch(effSetBlockSizeAndSampleRate, 0, -5, nullptr, rate);
    }
    plugin->open();
    plugin->resume();
    std::vector<float> left(256), right(256);
    plugin->sendMidi({{0, {0x90, 60, 100}}});
    plugin->processReplacing(left.data(), right.data(), 256);
    for (int i = 0; i < 256; ++i) ASSERT_TRUE(std::isfinite(left[i]) && std::isfinite(right[i]));
}

TEST_F(PluginTest, TempoIsReadAtOpenOnlyFromHostsThatOfferIt) {
    plugin->open();
    EXPECT_EQ(plugin->countHostCalls(audioMasterGetTime), 1u);

    host::HostOptions refusing;
    refusing.canDoTimeInfo = 0;
    auto other = loadPlugin(refusing);
    other->open();
    EXPECT_EQ(other->countHostCalls(audioMasterGetTime), 0u);
}

}  // namespace
}  // namespace velora::test
