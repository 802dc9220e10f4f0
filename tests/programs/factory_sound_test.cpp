// SPDX-License-Identifier: MIT
// Listens to every factory sound through the built plug-in: a held middle C
// and a short phrase across the keyboard, measured for loudness, limiting,
// decay and brightness.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <set>
#include <string>
#include <vector>

#include "player.h"
#include "sound_measures.h"

namespace velora::test {
namespace {

using namespace velora::sound;

constexpr double kRate = 44100.0;
constexpr int kPrograms = 64;
constexpr int kVolumeMinor = 101;

std::size_t frames(double seconds) { return static_cast<std::size_t>(seconds * kRate); }

// Programs, numbered as in their names, whose middle C dies away while held
// ("1: crystal pad" too: its published Tone envelope decays to nothing).
const std::set<int> kPercussive = {1, 4, 9, 11, 13, 14, 15, 16, 26, 27, 29, 30, 31, 36, 37, 38, 40, 45, 54};
// Pads, strings and drones that swell in.
const std::set<int> kSwelling = {3, 8, 12, 18, 20, 21, 53, 57, 58, 61, 62, 63, 64};
// Plucks and mallets that must be gone quickly.
const std::set<int> kQuick = {9, 11, 15, 27, 36, 37, 38, 40, 54};
// The published programs are fixed data: their top notes may fade further.
const std::set<int> kPublished = {1, 30, 56};

// The program's final gain is where the limiter holds the output.
float ceilingOf(Player& player) { return player.parameter(kVolumeMinor); }

// A middle C at velocity 100, held for 2.5 s and heard for 1.5 s after.
constexpr double kHeld = 2.5;
Stereo middleC(Player& player, int program) {
    return player.play(program, {{0, 0x90, 60, 100}, {frames(kHeld), 0x80, 60, 0}}, frames(kHeld + 1.5));
}

// A chord, then single notes from the bass to the top of the keyboard.
constexpr std::array<int, 5> kPhraseKeys = {36, 67, 79, 91, 100};
constexpr double kChordLength = 1.2, kNoteStart = 1.5, kNoteSpacing = 0.45, kNoteLength = 0.35;
Stereo phrase(Player& player, int program) {
    std::vector<NoteEvent> events;
    for (int key : {48, 52, 55, 60}) {
        events.push_back({0, 0x90, std::uint8_t(key), 90});
        events.push_back({frames(kChordLength), 0x80, std::uint8_t(key), 0});
    }
    for (std::size_t i = 0; i < kPhraseKeys.size(); ++i) {
        const double on = kNoteStart + kNoteSpacing * static_cast<double>(i);
        events.push_back({frames(on), 0x90, std::uint8_t(kPhraseKeys[i]), 90});
        events.push_back({frames(on + kNoteLength), 0x80, std::uint8_t(kPhraseKeys[i]), 0});
    }
    return player.play(program, events, frames(kNoteStart + kNoteSpacing * kPhraseKeys.size() + 1.0));
}

// One rendering of every program, with the program's final-gain ceiling.
struct Heard {
    float ceiling = 1.0f;
    Stereo audio;
};
using Performance = Stereo (*)(Player&, int);

std::vector<Heard> listenToBank(Performance perform) {
    std::vector<Heard> all;
    Player player(VELORA_PLUGIN_PATH, kRate);
    if (!player.loaded()) return all;
    for (int p = 0; p < kPrograms; ++p) {
        Heard h;
        h.audio = perform(player, p);
        h.ceiling = ceilingOf(player);
        all.push_back(std::move(h));
    }
    return all;
}

// Rendered once per test process, on first use.
const std::vector<Heard>& notes() {
    static const std::vector<Heard> heard = listenToBank(middleC);
    return heard;
}
const std::vector<Heard>& phrases() {
    static const std::vector<Heard> heard = listenToBank(phrase);
    return heard;
}

const std::size_t kWindow = frames(0.05);

double decayAtTwoSeconds(const Stereo& note) {
    return windowDecibels(note, frames(2.0), frames(0.25)) - loudestWindowDecibels(note, 0, frames(kHeld), kWindow);
}

// Seconds from the note-on until a window comes within 3 dB of the loudest.
double riseTime(const Stereo& note) {
    const double loudest = loudestWindowDecibels(note, 0, frames(kHeld), kWindow);
    std::size_t first = 0;
    while (first + kWindow < frames(kHeld) && windowDecibels(note, first, kWindow) < loudest - 3.0) first += kWindow;
    return static_cast<double>(first + kWindow) / kRate;
}

// Seconds from the loudest window until the held note is 20 dB below it.
double fallTime(const Stereo& note) {
    const double loudest = loudestWindowDecibels(note, 0, frames(kHeld), kWindow);
    std::size_t at = 0;
    while (at + kWindow < frames(kHeld) && windowDecibels(note, at, kWindow) < loudest) at += kWindow;
    const std::size_t peak = at;
    while (at + kWindow < frames(kHeld) && windowDecibels(note, at, kWindow) > loudest - 20.0) at += kWindow;
    return static_cast<double>(at - peak) / kRate;
}

class FactorySounds : public ::testing::Test {
protected:
    static void requireBank(const std::vector<Heard>& heard) {
        ASSERT_EQ(heard.size(), std::size_t(kPrograms)) << "plug-in did not load";
    }
};

TEST_F(FactorySounds, MiddleCPeaksBelowFullScaleWithoutLeaningOnTheLimiter) {
    requireBank(notes());
    for (int p = 0; p < kPrograms; ++p) {
        const Heard& h = notes()[p];
        ASSERT_TRUE(allFinite(h.audio)) << "program " << p + 1;
        const double peak = peakDecibels(h.audio);
        EXPECT_GE(peak, -24.0) << "program " << p + 1;
        EXPECT_LE(peak, -0.5) << "program " << p + 1;
        EXPECT_LT(shareAtCeiling(h.audio, h.ceiling), 0.01) << "program " << p + 1;
    }
}

TEST_F(FactorySounds, SustainingSoundsHoldWhilePercussiveOnesDieAway) {
    requireBank(notes());
    for (int p = 0; p < kPrograms; ++p) {
        const double decay = decayAtTwoSeconds(notes()[p].audio);
        if (kPercussive.count(p + 1)) {
            EXPECT_LE(decay, -20.0) << "program " << p + 1;
        } else {
            EXPECT_GE(decay, -30.0) << "program " << p + 1;
        }
    }
}

TEST_F(FactorySounds, PadsSwellInAndPlucksDieQuickly) {
    requireBank(notes());
    for (int p = 0; p < kPrograms; ++p) {
        if (kSwelling.count(p + 1)) {
            EXPECT_GE(riseTime(notes()[p].audio), 0.2) << "program " << p + 1;
        }
        if (kQuick.count(p + 1)) {
            EXPECT_LE(fallTime(notes()[p].audio), 1.0) << "program " << p + 1;
        }
    }
}

TEST_F(FactorySounds, PhraseStaysInRangeAcrossTheKeyboard) {
    requireBank(phrases());
    for (int p = 0; p < kPrograms; ++p) {
        const Heard& h = phrases()[p];
        ASSERT_TRUE(allFinite(h.audio)) << "program " << p + 1;
        EXPECT_LT(shareAtCeiling(h.audio, h.ceiling), 0.01) << "program " << p + 1;
        EXPECT_GE(peakDecibels(h.audio), -30.0) << "program " << p + 1;
        const double chord = loudestWindowDecibels(h.audio, 0, frames(kChordLength), kWindow);
        for (std::size_t i = 0; i < kPhraseKeys.size(); ++i) {
            const std::size_t on = frames(kNoteStart + kNoteSpacing * static_cast<double>(i));
            const double note = windowDecibels(h.audio, on, frames(kNoteLength));
            const double quietest = kPublished.count(p + 1) ? 50.0 : 40.0;
            EXPECT_GE(note, chord - quietest) << "program " << p + 1 << " key " << kPhraseKeys[i];
            EXPECT_LE(note, chord + 12.0) << "program " << p + 1 << " key " << kPhraseKeys[i];
        }
        const double centroid = spectralCentroid(h.audio, 0, h.audio.frames(), kRate);
        EXPECT_GT(centroid, 100.0) << "program " << p + 1;
        EXPECT_LT(centroid, 8000.0) << "program " << p + 1;
    }
}

}  // namespace
}  // namespace velora::test
