// SPDX-License-Identifier: MIT
// Minutes of random notes, controllers, pitch bend, aftertouch, program
// changes and parameter automation: the output stays finite and within the
// final gain, heap use stays flat, and the time per block is reported for the
// first and the last minute (a denormal slow-down would show there).
#include <gtest/gtest.h>
#include <malloc.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "shell/synth_effect.h"
#include "support/in_process_host.h"

namespace velora {
namespace {

using namespace vst;

using test::inProcessHost;
using test::Random;

constexpr int kBlock = 512;

class Player {
public:
    explicit Player(AEffect* effect) : effect_(effect) {}

    // One block: a few random MIDI messages, sometimes an automated parameter.
    void playBlock(Random& random) {
        const int count = random.below(6);
        VstEvent** entries = events()->events;
        for (int i = 0; i < count; ++i) {
            VstMidiEvent& e = midi_[i];
            e = VstMidiEvent{};
            e.type = kVstMidiType;
            e.byteSize = sizeof e;
            e.deltaFrames = random.below(kBlock);
            e.midiData[0] = static_cast<char>(status(random));
            e.midiData[1] = static_cast<char>(random.below(128));
            e.midiData[2] = static_cast<char>(random.below(128));
            if ((e.midiData[0] & 0xF0) == 0xC0) e.midiData[1] = static_cast<char>(random.below(64));
            entries[i] = reinterpret_cast<VstEvent*>(&e);
        }
        events()->numEvents = count;
        effect_->dispatcher(effect_, effProcessEvents, 0, 0, events(), 0.0f);
        if (random.below(4) == 0) {
            const VstInt32 index = random.below(109);
            if (index != 98) effect_->setParameter(effect_, index, random.unit());
        }
    }

private:
    static int status(Random& random) {
        const int roll = random.below(100);
        if (roll < 45) return 0x90;
        if (roll < 80) return 0x80;
        if (roll < 88) return 0xB0;
        if (roll < 93) return 0xE0;
        if (roll < 96) return 0xD0;
        if (roll < 99) return 0xA0;
        return 0xC0;  // program change, about every few seconds
    }
    VstEvents* events() { return reinterpret_cast<VstEvents*>(block_); }

    AEffect* effect_;
    VstMidiEvent midi_[8];
    alignas(VstEvents) unsigned char block_[sizeof(VstEvents) + 8 * sizeof(VstEvent*)];
};

std::size_t heapInUse() { return mallinfo2().uordblks; }

void soak(float rate) {
    const char* minutesText = std::getenv("VELORA_SOAK_MINUTES");
    const int minutes = minutesText != nullptr ? std::max(1, std::atoi(minutesText)) : 2;
    auto* instance = new SynthEffect(inProcessHost);
    AEffect* effect = instance->effect();
    effect->dispatcher(effect, effSetSampleRate, 0, 0, nullptr, rate);
    effect->dispatcher(effect, effOpen, 0, 0, nullptr, 0.0f);
    effect->dispatcher(effect, effMainsChanged, 0, 1, nullptr, 0.0f);

    Player player(effect);
    Random random{static_cast<std::uint32_t>(rate)};
    std::vector<float> left(kBlock), right(kBlock);
    float* outputs[2] = {left.data(), right.data()};
    const int blocksPerMinute = static_cast<int>(rate * 60.0f / kBlock);
    std::vector<double> minuteSeconds;
    std::vector<double> minuteVoices;  // mean number of sounding voices per block
    std::size_t heapAfterFirstMinute = 0;
    float peak = 0.0f;
    for (int minute = 0; minute < minutes + 1; ++minute) {
        const auto start = std::chrono::steady_clock::now();
        long voiceBlocks = 0;
        for (int b = 0; b < blocksPerMinute; ++b) {
            player.playBlock(random);
            effect->processReplacing(effect, nullptr, outputs, kBlock);
            for (int key = 0; key < 128; ++key) voiceBlocks += instance->engine().keySounding(key) ? 1 : 0;
            for (int i = 0; i < kBlock; ++i) {
                ASSERT_TRUE(std::isfinite(left[i]) && std::isfinite(right[i]));
                peak = std::max({peak, std::fabs(left[i]), std::fabs(right[i])});
            }
        }
        minuteSeconds.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        minuteVoices.push_back(static_cast<double>(voiceBlocks) / blocksPerMinute);
        if (minute == 0) heapAfterFirstMinute = heapInUse();
    }
    const std::size_t heapAtEnd = heapInUse();
    EXPECT_LE(peak, 1.0f);  // parameters stay within 0..1, so the final gain is at most 1
    EXPECT_LE(heapAtEnd, heapAfterFirstMinute + 64 * 1024) << "heap grew while playing";
    // Time per block follows the number of sounding voices; per voice and
    // sample it must not grow (a denormal slow-down would show here).
    auto perVoiceSample = [&](std::size_t m) {
        return minuteSeconds[m] * 1e9 /
               (static_cast<double>(blocksPerMinute) * kBlock * std::max(1.0, minuteVoices[m]));
    };
    std::printf(
        "soak at %.0f Hz, %d minutes: heap %zu -> %zu bytes; first minute %.1f us per block, %.1f voices, "
        "%.1f ns per voice-sample; last minute %.1f us, %.1f voices, %.1f ns; peak %.3f\n",
        static_cast<double>(rate), minutes + 1, heapAfterFirstMinute, heapAtEnd,
        minuteSeconds.front() / blocksPerMinute * 1e6, minuteVoices.front(), perVoiceSample(0),
        minuteSeconds.back() / blocksPerMinute * 1e6, minuteVoices.back(), perVoiceSample(minuteSeconds.size() - 1),
        static_cast<double>(peak));
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
}

TEST(Soak, RandomPlayingAt44100) { soak(44100.0f); }
TEST(Soak, RandomPlayingAt96000) { soak(96000.0f); }

}  // namespace
}  // namespace velora
