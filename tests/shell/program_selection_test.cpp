// SPDX-License-Identifier: MIT
// When a program selected through the dispatcher stops the voices: at once
// while the instance is suspended, and on the audio thread before its next
// sample while it runs. The values take effect at once either way.
#include <gtest/gtest.h>

#include <vector>

#include "shell/synth_effect.h"
#include "support/in_process_host.h"

namespace velora {
namespace {

using namespace vst;

constexpr int kKey = 60;

class ProgramSelection : public ::testing::Test {
protected:
    ProgramSelection() {
        synth.dispatcher(effOpen, 0, 0, nullptr, 0.0f);
        synth.dispatcher(effSetSampleRate, 0, 0, nullptr, 44100.0f);
        synth.dispatcher(effMainsChanged, 0, 1, nullptr, 0.0f);
    }
    void playKey() {
        VstMidiEvent note{};
        note.type = kVstMidiType;
        note.byteSize = sizeof note;
        note.midiData[0] = static_cast<char>(0x90);
        note.midiData[1] = kKey;
        note.midiData[2] = 100;
        VstEvents events{};
        events.numEvents = 1;
        events.events[0] = reinterpret_cast<VstEvent*>(&note);
        synth.processEvents(&events);
        render(64);
    }
    void render(int frames) {
        std::vector<float> left(static_cast<std::size_t>(frames)), right(left.size());
        float* outputs[2] = {left.data(), right.data()};
        synth.processReplacing(nullptr, outputs, frames);
    }
    bool sounding() const { return synth.engine().keySounding(kKey); }

    SynthEffect synth{test::inProcessHost};
};

TEST_F(ProgramSelection, WhileRunningTheAudioSideStopsTheVoicesBeforeItsNextSample) {
    playKey();
    ASSERT_TRUE(sounding());
    synth.dispatcher(effSetProgram, 0, 5, nullptr, 0.0f);
    EXPECT_EQ(synth.getProgram(), 5);
    EXPECT_TRUE(sounding()) << "the voices belong to the audio thread";
    render(1);
    EXPECT_FALSE(sounding());
    EXPECT_EQ(synth.engine().order().count(), 0);
}

TEST_F(ProgramSelection, SuspendedOrSuspendingStopsTheVoicesAtOnce) {
    for (bool selectBeforeSuspend : {false, true}) {
        playKey();
        ASSERT_TRUE(sounding());
        if (selectBeforeSuspend) synth.dispatcher(effSetProgram, 0, 7, nullptr, 0.0f);
        synth.dispatcher(effMainsChanged, 0, 0, nullptr, 0.0f);
        if (!selectBeforeSuspend) synth.dispatcher(effSetProgram, 0, 7, nullptr, 0.0f);
        EXPECT_FALSE(sounding()) << "selected before suspending: " << selectBeforeSuspend;
        synth.dispatcher(effMainsChanged, 0, 1, nullptr, 0.0f);
    }
}

TEST_F(ProgramSelection, ValuesAreInPlaceBeforeTheVoicesStop) {
    SynthEffect suspended{test::inProcessHost};
    suspended.dispatcher(effOpen, 0, 0, nullptr, 0.0f);
    suspended.dispatcher(effSetProgram, 0, 12, nullptr, 0.0f);
    playKey();
    synth.dispatcher(effSetProgram, 0, 12, nullptr, 0.0f);
    for (VstInt32 index = 0; index < 109; ++index)
        EXPECT_EQ(synth.getParameter(index), suspended.getParameter(index)) << "parameter " << index;
}

}  // namespace
}  // namespace velora
