// One thread renders blocks with MIDI, as a host's audio thread does, while
// another automates every parameter and reads values and texts back, as its
// user-interface thread does.
#include <gtest/gtest.h>

#include <atomic>
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

void renderWithMidi(AEffect* effect, int blocks, std::atomic<bool>& finite) {
    Random random{7};
    std::vector<float> left(256), right(256);
    float* outputs[2] = {left.data(), right.data()};
    VstMidiEvent midi[8];
    unsigned char block[sizeof(VstEvents) + 8 * sizeof(VstEvent*)];
    auto* events = reinterpret_cast<VstEvents*>(block);
    VstEvent** entries = events->events;
    for (int b = 0; b < blocks; ++b) {
        events->numEvents = 8;
        for (int i = 0; i < 8; ++i) {
            midi[i] = VstMidiEvent{};
            midi[i].type = kVstMidiType;
            midi[i].byteSize = sizeof(VstMidiEvent);
            midi[i].deltaFrames = random.below(256);
            const std::uint8_t statuses[] = {0x90, 0x80, 0xB0, 0xE0, 0xD0, 0xA0, 0x90, 0x90};
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

void automateEverything(AEffect* effect, const std::atomic<bool>& rendering) {
    Random random{11};
    char text[64];
    while (rendering.load()) {
        const VstInt32 index = random.below(109);
        if (index == 98) continue;  // learning would rebind controllers at random; covered elsewhere
        effect->setParameter(effect, index, random.unit());
        (void)effect->getParameter(effect, random.below(109));
        effect->dispatcher(effect, effGetParamDisplay, random.below(109), 0, text, 0.0f);
        effect->dispatcher(effect, effGetParamName, random.below(109), 0, text, 0.0f);
        effect->dispatcher(effect, effGetParamLabel, random.below(109), 0, text, 0.0f);
    }
}

TEST(Threads, AutomationWhileRenderingStaysFiniteAndRaceFree) {
    auto* instance = new SynthEffect(inProcessHost);
    AEffect* effect = instance->effect();
    effect->dispatcher(effect, effOpen, 0, 0, nullptr, 0.0f);
    effect->dispatcher(effect, effSetSampleRate, 0, 0, nullptr, 44100.0f);
    effect->dispatcher(effect, effMainsChanged, 0, 1, nullptr, 0.0f);
    effect->dispatcher(effect, effSetProgram, 0, 20, nullptr, 0.0f);

    std::atomic<bool> rendering{true};
    std::atomic<bool> finite{true};
    std::thread ui([&] { automateEverything(effect, rendering); });
    renderWithMidi(effect, 48, finite);
    rendering = false;
    ui.join();

    EXPECT_TRUE(finite.load());
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
}

}  // namespace
}  // namespace velora
