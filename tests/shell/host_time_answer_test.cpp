// SPDX-License-Identifier: MIT
// The host's "sendVstTimeInfo" answer, which decides whether tempo sync can
// be stored on, is asked at open and at resume: a MIDI program change on the
// audio thread uses the answer and never calls the host for it.
#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "core/param_id.h"
#include "shell/synth_effect.h"

namespace velora {
namespace {

using namespace vst;

std::atomic<int> canDoCalls{0};
std::atomic<bool> sendsTime{true};

VstIntPtr countingHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    if (opcode == audioMasterVersion) return 2400;
    if (opcode != audioMasterCanDo) return 0;
    canDoCalls.fetch_add(1);
    return sendsTime.load() ? 1 : 0;
}

constexpr int kSyncedProgram = 5;

void selectByMidi(SynthEffect& synth, int program) {
    VstMidiEvent change{};
    change.type = kVstMidiType;
    change.byteSize = sizeof change;
    change.midiData[0] = static_cast<char>(0xC0);
    change.midiData[1] = static_cast<char>(program);
    VstEvents events{};
    events.numEvents = 1;
    events.events[0] = reinterpret_cast<VstEvent*>(&change);
    synth.processEvents(&events);
    std::vector<float> left(64), right(64);
    float* outputs[2] = {left.data(), right.data()};
    synth.processReplacing(nullptr, outputs, 64);
}

TEST(HostTimeAnswer, MidiProgramChangeUsesTheAnswerOfTheLastResume) {
    struct Case {
        bool answerAtResume;
        float storedSync;
    };
    for (const Case& c : {Case{true, 1.0f}, Case{false, 0.0f}}) {
        SCOPED_TRACE(c.answerAtResume);
        sendsTime = true;
        SynthEffect synth{countingHost};
        synth.dispatcher(effOpen, 0, 0, nullptr, 0.0f);
        synth.setProgram(kSyncedProgram);
        synth.setParameter(kParamXdTempoSync, 1.0f);
        ASSERT_EQ(synth.getParameter(kParamXdTempoSync), 1.0f);
        synth.setProgram(0);

        sendsTime = c.answerAtResume;
        synth.dispatcher(effMainsChanged, 0, 1, nullptr, 0.0f);
        const int asked = canDoCalls.load();
        selectByMidi(synth, kSyncedProgram);
        EXPECT_EQ(canDoCalls.load(), asked);  // nothing asked from the audio thread
        EXPECT_EQ(synth.getParameter(kParamXdTempoSync), c.storedSync);
    }
}

}  // namespace
}  // namespace velora
