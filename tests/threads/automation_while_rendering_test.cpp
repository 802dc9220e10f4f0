// SPDX-License-Identifier: MIT
// One thread renders blocks with MIDI (program changes among them), as a
// host's audio thread does, while another automates every parameter, selects,
// names and copies programs and reads values and texts back, as its
// user-interface thread does.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <thread>
#include <vector>

#include "shell/synth_effect.h"
#include "support/in_process_host.h"

namespace velora {
namespace {

using namespace vst;

using test::inProcessHost;
using test::Random;

// Renders at least minBlocks, and on until the other thread has made its calls.
void renderWithMidi(AEffect* effect, int minBlocks, const std::atomic<bool>& otherDone, std::atomic<bool>& finite) {
    Random random{7};
    std::vector<float> left(256), right(256);
    float* outputs[2] = {left.data(), right.data()};
    VstMidiEvent midi[8];
    unsigned char block[sizeof(VstEvents) + 8 * sizeof(VstEvent*)];
    auto* events = reinterpret_cast<VstEvents*>(block);
    VstEvent** entries = events->events;
    for (int b = 0; b < minBlocks || !otherDone.load(); ++b) {
        events->numEvents = 8;
        for (int i = 0; i < 8; ++i) {
            midi[i] = VstMidiEvent{};
            midi[i].type = kVstMidiType;
            midi[i].byteSize = sizeof(VstMidiEvent);
            midi[i].deltaFrames = random.below(256);
            const std::uint8_t statuses[] = {0x90, 0x80, 0xB0, 0xE0, 0xD0, 0xA0, 0x90, 0xC0};
            midi[i].midiData[0] = static_cast<char>(statuses[random.below(8)]);
            midi[i].midiData[1] = static_cast<char>(random.below(128));
            midi[i].midiData[2] = static_cast<char>(random.below(128));
            entries[i] = reinterpret_cast<VstEvent*>(&midi[i]);
        }
        effect->dispatcher(effect, effProcessEvents, 0, 0, events, 0.0f);
        effect->processReplacing(effect, nullptr, outputs, 256);
        for (int i = 0; i < 256; ++i)
            if (!std::isfinite(left[i]) || !std::isfinite(right[i])) finite = false;
    }
}

// What a host's user-interface thread does during playback, one call at a
// time; program selection is rarer because it sets every parameter.
void hostThreadCall(AEffect* effect, Random& random) {
    char text[64] = "";
    const VstInt32 index = random.below(109);
    switch (random.below(12)) {
    case 0:
        if (random.below(8) == 0) effect->dispatcher(effect, effSetProgram, 0, random.below(64), nullptr, 0.0f);
        break;
    case 1: effect->dispatcher(effect, effGetProgramName, 0, 0, text, 0.0f); break;
    case 2: {
        char name[] = "stage name twenty-four+";
        name[random.below(24)] = '\0';
        effect->dispatcher(effect, effSetProgramName, 0, 0, name, 0.0f);
        break;
    }
    case 3: effect->dispatcher(effect, effGetProgramNameIndexed, random.below(64), 0, text, 0.0f); break;
    case 4: effect->dispatcher(effect, effCopyProgram, random.below(64), 0, nullptr, 0.0f); break;
    case 5: (void)effect->dispatcher(effect, effGetProgram, 0, 0, nullptr, 0.0f); break;
    case 6: (void)effect->dispatcher(effect, effCanDo, 0, 0, const_cast<char*>("receiveVstEvents"), 0.0f); break;
    case 7: effect->dispatcher(effect, effGetParamName, index, 0, text, 0.0f); break;
    case 8: effect->dispatcher(effect, effGetParamLabel, index, 0, text, 0.0f); break;
    case 9: effect->dispatcher(effect, effGetParamDisplay, index, 0, text, 0.0f); break;
    case 10: (void)effect->getParameter(effect, index); break;
    default:
        // Learning would rebind controllers at random; covered elsewhere.
        if (index != 98) effect->setParameter(effect, index, random.unit());
        break;
    }
}

void actLikeHostThread(AEffect* effect, int calls, const std::atomic<bool>& rendering, std::atomic<bool>& done) {
    Random random{11};
    for (int i = 0; i < calls || rendering.load(); ++i) {
        hostThreadCall(effect, random);
        if (i + 1 == calls) done = true;
        std::this_thread::sleep_for(std::chrono::microseconds(50));  // a user interface does not spin
    }
}

TEST(Threads, HostCallsWhileRenderingStayFiniteAndRaceFree) {
    auto* instance = new SynthEffect(inProcessHost);
    AEffect* effect = instance->effect();
    effect->dispatcher(effect, effOpen, 0, 0, nullptr, 0.0f);
    effect->dispatcher(effect, effSetSampleRate, 0, 0, nullptr, 44100.0f);
    effect->dispatcher(effect, effMainsChanged, 0, 1, nullptr, 0.0f);
    effect->dispatcher(effect, effSetProgram, 0, 20, nullptr, 0.0f);

    std::atomic<bool> rendering{true};
    std::atomic<bool> hostCallsDone{false};
    std::atomic<bool> finite{true};
    std::thread ui([&] { actLikeHostThread(effect, 3000, rendering, hostCallsDone); });
    renderWithMidi(effect, 48, hostCallsDone, finite);
    rendering = false;
    ui.join();

    EXPECT_TRUE(finite.load());
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
}

}  // namespace
}  // namespace velora
