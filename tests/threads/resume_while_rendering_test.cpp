// SPDX-License-Identifier: MIT
// Hosts that resume, or set sound parameters, while their audio thread is
// inside a block: the rebuilt lines and the derived voice state reach the
// audio thread by hand-over, so nothing is freed or rewritten under it.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <memory>
#include <thread>
#include <vector>

#include "core/param_id.h"
#include "engine/synth_engine.h"
#include "shell/synth_effect.h"
#include "support/in_process_host.h"

namespace velora {
namespace {

using namespace vst;

class NoHooks final : public engine::RenderHooks {
public:
    int dispatchDueEvents(int limit) override { return limit; }
    void tempoCheck() override {}
    void processOutput(float l, float r, float& outL, float& outR) override {
        outL = l;
        outR = r;
    }
};

bool allFinite(const std::vector<float>& v) {
    for (float x : v)
        if (!std::isfinite(x)) return false;
    return true;
}

// What the host's other thread does in turns while blocks render.
struct HostAction {
    const char* name;
    void (*act)(AEffect* effect, int turn);
};

const HostAction kHostActions[] = {
    {"resume", [](AEffect* e, int) { e->dispatcher(e, effMainsChanged, 0, 1, nullptr, 0.0f); }},
    {"resonance and release",
     [](AEffect* e, int turn) {
         e->setParameter(e, kParamToneLpRes, static_cast<float>(turn % 10) * 0.1f);
         e->setParameter(e, kParamRelease, static_cast<float>(turn % 7) * 0.01f);
         e->setParameter(e, kParamDelay1, static_cast<float>(turn % 5) * 0.2f);
     }},
    {"resume and parameters",
     [](AEffect* e, int turn) {
         e->setParameter(e, kParamToneLpRes, static_cast<float>(turn % 3) * 0.3f);
         if (turn % 4 == 0) e->dispatcher(e, effMainsChanged, 0, 1, nullptr, 0.0f);
     }},
};

TEST(Threads, ResumeAndParametersWhileRenderingStayFiniteAndRaceFree) {
    for (const HostAction& action : kHostActions) {
        SCOPED_TRACE(action.name);
        auto* instance = new SynthEffect(test::inProcessHost);
        AEffect* effect = instance->effect();
        effect->dispatcher(effect, effOpen, 0, 0, nullptr, 0.0f);
        effect->dispatcher(effect, effSetSampleRate, 0, 0, nullptr, 44100.0f);
        effect->dispatcher(effect, effMainsChanged, 0, 1, nullptr, 0.0f);

        VstMidiEvent notes[16];
        unsigned char block[sizeof(VstEvents) + 16 * sizeof(VstEvent*)];
        auto* events = reinterpret_cast<VstEvents*>(block);
        events->numEvents = 16;
        VstEvent** entries = events->events;
        for (int i = 0; i < 16; ++i) {
            notes[i] = VstMidiEvent{};
            notes[i].type = kVstMidiType;
            notes[i].byteSize = sizeof(VstMidiEvent);
            notes[i].midiData[0] = static_cast<char>(0x90);
            notes[i].midiData[1] = static_cast<char>(24 + 5 * i);
            notes[i].midiData[2] = 100;
            entries[i] = reinterpret_cast<VstEvent*>(&notes[i]);
        }
        effect->dispatcher(effect, effProcessEvents, 0, 0, events, 0.0f);

        std::atomic<bool> rendering{true};
        std::thread host([&] {
            for (int turn = 0; rendering.load(); ++turn) {
                action.act(effect, turn);
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
        });
        std::vector<float> left(256), right(256);
        float* outputs[2] = {left.data(), right.data()};
        bool finite = true;
        for (int b = 0; b < 12; ++b) {
            effect->processReplacing(effect, nullptr, outputs, 256);
            finite = finite && allFinite(left) && allFinite(right);
        }
        rendering = false;
        host.join();
        EXPECT_TRUE(finite);
        effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    }
}

// The engine alone, with the rate changing between resumes so that new
// lines are made and the replaced ones freed while blocks render.
TEST(Threads, EngineResumeHandsOverNewLinesWhileRendering) {
    auto e = std::make_unique<engine::SynthEngine>();
    e->setSampleRate(44100.0f);
    e->open();
    e->setParam(engine::VoiceParam::VoiceLimit, 1.0f);
    e->setParam(engine::VoiceParam::ToneOn, 1.0f);
    for (int key = 20; key < 110; key += 3) e->noteOn(key, 90);

    std::atomic<bool> rendering{true};
    std::thread host([&] {
        for (int turn = 0; rendering.load(); ++turn) {
            e->storeSampleRate(turn % 2 == 0 ? 48000.0f : 44100.0f);
            e->postResume();
            e->postParam(engine::VoiceParam::ToneLpRes, static_cast<float>(turn % 4) * 0.25f);
            e->postParam(engine::VoiceParam::Delay2, static_cast<float>(turn % 3) * 0.4f);
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        }
    });
    NoHooks hooks;
    std::vector<float> left(256), right(256);
    bool finite = true;
    for (int b = 0; b < 30; ++b) {
        e->renderBlock(left.data(), right.data(), 256, hooks);
        finite = finite && allFinite(left) && allFinite(right);
    }
    rendering = false;
    host.join();
    EXPECT_TRUE(finite);
    e->resume();  // settles the last hand-over on this thread
    for (int key = 0; key < 128; ++key) {
        const engine::VoiceResonator& r = e->voice(key).resonator;
        for (int s = 0; s < engine::kResonatorStages; ++s) ASSERT_LE(r.leftTap[s], r.length);
    }
}

}  // namespace
}  // namespace velora
