// SPDX-License-Identifier: MIT
#pragma once
// A real instance with its editor opened on the headless window system, the
// plug-in's own bitmaps as resources, and a host that records its calls.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "editor/synth_editor.h"
#include "gui/platform/headless/module_bitmaps.h"
#include "shell/synth_effect.h"
#include "support/in_process_host.h"

namespace velora::test {

struct HostCall {
    vst::VstInt32 opcode;
    vst::VstInt32 index;
    float opt;
};

// The host of the instance under test; one at a time.
inline std::vector<HostCall>* hostLog = nullptr;
// Whether that host resizes the editor's window when asked.
inline bool hostResizes = false;

inline vst::VstIntPtr recordingHost(vst::AEffect* effect, vst::VstInt32 opcode, vst::VstInt32 index,
                                    vst::VstIntPtr value, void* ptr, float opt) {
    if (hostLog) hostLog->push_back({opcode, index, opt});
    if (opcode == vst::audioMasterSizeWindow) return hostResizes ? 1 : 0;
    return inProcessHost(effect, opcode, index, value, ptr, opt);
}

class EditorTest : public ::testing::Test {
protected:
    explicit EditorTest(int missingBitmap = 0) {
        useFreshConfigFolder();
        gui::addModuleBitmaps(platform, missingBitmap);
        hostLog = &calls;
        hostResizes = false;
        effect = std::make_unique<SynthEffect>(&recordingHost);
        effect->open();
        editor().usePlatform(&platform);
    }
    ~EditorTest() override {
        effect.reset();
        hostLog = nullptr;
    }

    vst::VstIntPtr dispatch(vst::VstInt32 opcode, vst::VstInt32 index = 0, vst::VstIntPtr value = 0,
                            void* ptr = nullptr, float opt = 0.0f) {
        return effect->dispatcher(opcode, index, value, ptr, opt);
    }
    // Opens the window and lets the system show it.
    void openEditor() {
        ASSERT_EQ(dispatch(vst::effEditOpen, 0, 0, &parent), 1);
        platform.lastWindow()->exposeAll();
    }
    void idle() { dispatch(vst::effEditIdle); }

    // A configuration folder of the test's own, so that no size chosen on
    // this machine leaks in; empty at the start of every test.
    static void useFreshConfigFolder() {
        // Named by process and test: ctest runs tests side by side.
        const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
        const std::string name = std::string("velora-editor-config-") + std::to_string(::getpid()) + "-" +
                                 (test ? std::string(test->test_suite_name()) + "." + test->name() : "none");
        const std::filesystem::path folder = std::filesystem::path(::testing::TempDir()) / name;
        std::filesystem::remove_all(folder);
        ::setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
    }
    // The scale message of the hosts that send one (a factor in opt).
    vst::VstIntPtr sendHostScale(float factor) {
        return dispatch(vst::effVendorSpecific, vst::kScaleMessageIndex, vst::kScaleMessageValue, nullptr, factor);
    }

    editor::SynthEditor& editor() { return *effect->getEditor(); }
    gui::Control& controlOf(int parameter) { return *editor().control(editor::rowOfParameter(parameter)); }
    gui::Rect rectOf(int parameter) { return controlOf(parameter).rect(); }
    std::string status() { return editor().statusField()->text(); }
    std::string display(int index) {
        char text[64] = {};
        effect->getParameterDisplay(index, text);
        return text;
    }
    // A press with the given buttons, then the scripted rounds of a held
    // button; the buttons go up after the last.
    void press(gui::Point where, int buttons, std::vector<gui::HeadlessPlatform::InputState> rounds = {}) {
        platform.scriptDrag(std::move(rounds));
        platform.lastWindow()->press(where, buttons);
    }
    std::size_t countCalls(vst::VstInt32 opcode, vst::VstInt32 index) const {
        std::size_t n = 0;
        for (const HostCall& call : calls) n += call.opcode == opcode && call.index == index;
        return n;
    }

    gui::HeadlessPlatform platform;  // outlives the instance
    std::vector<HostCall> calls;
    std::unique_ptr<SynthEffect> effect;
    int parent = 0;
};

inline gui::Point centre(const gui::Rect& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

}  // namespace velora::test
