// SPDX-License-Identifier: MIT
#include <cstring>

#include "plugin_fixture.h"

namespace velora::test {
namespace {

using namespace vst;

TEST_F(PluginTest, RecordAfterMainDescribesAStereoSynth) {
    const AEffect* e = plugin->effect();
    EXPECT_EQ(e->magic, kEffectMagic);
    EXPECT_EQ(e->numPrograms, 64);
    EXPECT_EQ(e->numParams, 109);
    EXPECT_EQ(e->numInputs, 0);
    EXPECT_EQ(e->numOutputs, 2);
    EXPECT_EQ(e->flags, 0x113);  // editor, clip, replacing, synth
    EXPECT_EQ(e->uniqueID, 0x4B72566C);
    EXPECT_EQ(e->version, 1);
    EXPECT_EQ(e->ioRatio, 1.0f);
    EXPECT_EQ(e->initialDelay, 0);
    EXPECT_NE(e->processReplacing, nullptr);
    EXPECT_NE(e->process, nullptr);
    EXPECT_EQ(e->processDoubleReplacing, nullptr);
    EXPECT_TRUE(plugin->wasCalledDuringCreation(audioMasterVersion));
}

TEST(PluginLoading, HostVersionZeroGetsNoInstance) {
    host::HostOptions options;
    options.hostVersion = 0;
    std::string error;
    EXPECT_FALSE(host::PluginInstance::load(VELORA_PLUGIN_PATH, error, options));
    EXPECT_FALSE(error.empty());
}

TEST_F(PluginTest, IdentityStringsAndVersions) {
    EXPECT_EQ(plugin->textQuery(effGetEffectName), "Velora");
    EXPECT_EQ(plugin->textQuery(effGetVendorString), "Kiru Sound Design");
    EXPECT_EQ(plugin->textQuery(effGetProductString), "Velora");
    EXPECT_EQ(dispatch(effGetVendorVersion), 1);
    EXPECT_EQ(dispatch(effGetVstVersion), 2300);
    EXPECT_EQ(dispatch(effGetPlugCategory), kPlugCategSynth);
    EXPECT_EQ(dispatch(effIdentify), 0x4E764566);
}

TEST_F(PluginTest, CanDoIsAnExactCaseSensitiveMatch) {
    for (const char* yes : {"receiveVstEvents", "receiveVstMidiEvent", "receiveVstTimeInfo", "2in2out"})
        EXPECT_EQ(plugin->canDo(yes), 1) << yes;
    for (const char* no : {"receivevstevents", "2in2out ", "sendVstEvents", "", "receiveVstEventsX"})
        EXPECT_EQ(plugin->canDo(no), -1) << no;
    EXPECT_EQ(dispatch(effCanDo, 0, 0, nullptr), -1);
}

TEST_F(PluginTest, TwoActiveStereoOutputPins) {
    for (int index : {0, 1}) {
        VstPinProperties pin{};
        ASSERT_EQ(dispatch(effGetOutputProperties, index, 0, &pin), 1);
        EXPECT_STREQ(pin.label, index == 0 ? "Velora 1" : "Velora 2");
        EXPECT_EQ(pin.flags, kVstPinIsActive | kVstPinIsStereo);
    }
    VstPinProperties pin{};
    EXPECT_EQ(dispatch(effGetOutputProperties, 2, 0, &pin), 0);
    EXPECT_EQ(dispatch(effGetOutputProperties, -1, 0, &pin), 0);
    EXPECT_EQ(dispatch(effGetOutputProperties, 0, 0, nullptr), 0);
}

}  // namespace
}  // namespace velora::test
