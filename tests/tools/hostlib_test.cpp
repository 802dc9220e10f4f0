// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <algorithm>

#include "fake_plugins.h"
#include "plugin_host.h"
#include "test_files.h"

namespace velora::host {
namespace {

using tools::test::fakePlugin;

// The fake module's own record of received opcodes (same handle as the host's).
struct FakeModule {
    void* handle = dlopen(fakePlugin("both").c_str(), RTLD_NOW);
    ~FakeModule() { dlclose(handle); }
    template <typename F>
    F function(const char* name) const {
        return reinterpret_cast<F>(dlsym(handle, name));
    }
    std::vector<vst::VstInt32> dispatched() const {
        int count = 0;
        const vst::VstInt32* log = function<const vst::VstInt32* (*)(int*)>("fakeDispatchLog")(&count);
        return std::vector<vst::VstInt32>(log, log + count);
    }
    void clear() const { function<void (*)()>("fakeClearLog")(); }
};

std::unique_ptr<PluginInstance> loadFake(const std::string& variant, HostOptions options = {}) {
    std::string error;
    auto plugin = PluginInstance::load(fakePlugin(variant), error, options);
    EXPECT_TRUE(plugin) << error;
    return plugin;
}

TEST(HostLibrary, PrefersVstPluginMainAndFallsBackToMain) {
    EXPECT_EQ(loadFake("both")->effect()->uniqueID, vst::fourCC('F', 'k', 'V', 'M'));
    EXPECT_EQ(loadFake("main_only")->effect()->uniqueID, vst::fourCC('F', 'k', 'M', 'n'));
}

TEST(HostLibrary, LoadFailuresAreReportedAsText) {
    struct Case {
        std::string path;
        std::string expected;
    };
    const std::string textFile = tools::test::scratchPath("plain.so");
    tools::test::writeFile(textFile, {'n', 'o', 't', ' ', 'E', 'L', 'F'});
    for (const Case& c :
         {Case{"/nonexistent/velora.so", "no such file"}, Case{textFile, "cannot load"},
          Case{fakePlugin("no_entry"), "neither VSTPluginMain nor main"},
          Case{fakePlugin("null_effect"), "returned no effect"}, Case{fakePlugin("bad_magic"), "wrong magic"}}) {
        std::string error;
        EXPECT_EQ(PluginInstance::load(c.path, error), nullptr) << c.path;
        EXPECT_NE(error.find(c.expected), std::string::npos) << error;
    }
}

TEST(HostLibrary, HostVersionIsAnsweredDuringTheEntryCall) {
    auto plugin = loadFake("both");
    EXPECT_TRUE(plugin->wasCalledDuringCreation(vst::audioMasterVersion));
    HostOptions refusing;
    refusing.hostVersion = 0;  // the fake gives up on a host without a version
    std::string error;
    EXPECT_EQ(PluginInstance::load(fakePlugin("both"), error, refusing), nullptr);
}

TEST(HostLibrary, TimeInfoCapabilityAndRecordFollowTheOptions) {
    FakeModule module;
    auto answerSeen = module.function<vst::VstIntPtr (*)(vst::AEffect*)>("fakeTimeInfoAnswer");
    auto tempoSeen = module.function<double (*)(vst::AEffect*)>("fakeTempoAtOpen");
    for (vst::VstIntPtr answer : {1, 0, -1}) {
        HostOptions options;
        options.canDoTimeInfo = answer;
        auto plugin = loadFake("both", options);
        HostTime time;
        time.tempo = 93.5;
        plugin->setHostTime(time);
        plugin->open();
        EXPECT_EQ(answerSeen(plugin->effect()), answer);
        EXPECT_EQ(tempoSeen(plugin->effect()), answer == 1 ? 93.5 : 0.0);
        ASSERT_EQ(plugin->countHostCalls(vst::audioMasterCanDo), 1u);
        const auto& calls = plugin->hostCalls();
        auto canDo = std::find_if(calls.begin(), calls.end(),
                                  [](const HostCall& c) { return c.opcode == vst::audioMasterCanDo; });
        EXPECT_EQ(canDo->text, "sendVstTimeInfo");
    }
    HostOptions withoutTime;
    withoutTime.provideTimeInfo = false;
    auto plugin = loadFake("both", withoutTime);
    plugin->open();
    EXPECT_EQ(tempoSeen(plugin->effect()), -1.0);  // the fake saw a null record
}

TEST(HostLibrary, MidiEventsArriveAtTheirDeltaFrames) {
    auto plugin = loadFake("both");
    plugin->open();
    plugin->setSampleRate(48000.0f);
    plugin->setBlockSize(64);
    plugin->resume();
    EXPECT_EQ(plugin->countHostCalls(vst::audioMasterWantMidi), 1u);
    EXPECT_EQ(plugin->sendMidi({{0, {0x90, 60, 127}}, {17, {0x91, 61, 64}}, {63, {0x9F, 62, 127}}, {5, {0x80, 60, 0}}}),
              1);
    std::vector<float> left(64, 9.0f), right(64, 9.0f);
    plugin->processReplacing(left.data(), right.data(), 64);
    for (int i = 0; i < 64; ++i) {
        const float expected = i == 0 || i == 63 ? 1.0f : i == 17 ? 64.0f / 127.0f : 0.0f;
        EXPECT_EQ(left[i], expected) << i;
        EXPECT_EQ(right[i], 0.12f) << i;  // default host tempo 120 / 1000
    }
}

TEST(HostLibrary, ParameterAndProgramTexts) {
    auto plugin = loadFake("both");
    plugin->setParameter(1, 0.75f);
    EXPECT_EQ(plugin->getParameter(1), 0.75f);
    EXPECT_EQ(plugin->parameterName(0), "Gain");
    EXPECT_EQ(plugin->parameterLabel(0), "dB");
    EXPECT_EQ(plugin->parameterDisplay(1), "7.5");
    EXPECT_EQ(plugin->programName(1), "2: Second Sound");
    EXPECT_EQ(plugin->programName(3), "");  // refused by the plug-in
    EXPECT_EQ(plugin->canDo("receiveVstEvents"), 1);
    EXPECT_EQ(plugin->textQuery(vst::effGetVendorString), "Test Bench");
}

TEST(HostLibrary, DestructionSendsEffClose) {
    FakeModule module;
    {
        auto plugin = loadFake("both");
        module.clear();
        plugin->open();
    }
    EXPECT_EQ(module.dispatched(), (std::vector<vst::VstInt32>{vst::effOpen, vst::effClose}));
}

TEST(HostLibrary, AnExplicitCloseIsTheLastCall) {
    FakeModule module;
    {
        auto plugin = loadFake("both");
        module.clear();
        plugin->dispatch(vst::effClose);
        EXPECT_EQ(plugin->effect(), nullptr);
        EXPECT_EQ(plugin->dispatch(vst::effGetVendorVersion), 0);
        plugin->setParameter(0, 1.0f);
        EXPECT_EQ(plugin->getParameter(0), 0.0f);
        std::vector<float> left(4, 1.0f), right(4, 1.0f);
        plugin->processReplacing(left.data(), right.data(), 4);
        EXPECT_EQ(left, std::vector<float>(4, 0.0f));
        plugin->close();
    }
    EXPECT_EQ(module.dispatched(), std::vector<vst::VstInt32>{vst::effClose});
}

TEST(HostLibrary, TwoInstancesKeepTheirOwnHostState) {
    auto first = loadFake("both");
    auto second = loadFake("both");
    HostTime slow;
    slow.tempo = 60.0;
    first->setHostTime(slow);
    std::vector<float> left(8), right(8);
    first->processReplacing(left.data(), right.data(), 8);
    EXPECT_EQ(right[0], 0.06f);
    second->processReplacing(left.data(), right.data(), 8);
    EXPECT_EQ(right[0], 0.12f);
    EXPECT_EQ(first->countHostCalls(vst::audioMasterGetTime), 1u);
    EXPECT_EQ(second->countHostCalls(vst::audioMasterGetTime), 1u);
}

}  // namespace
}  // namespace velora::host
