// SPDX-License-Identifier: MIT
// Writes demo.mid: about 25 s in four tracks (tempo map, chords with sustain
// pedal, a melody with pitch bend and a modulation-wheel sweep, bass and
// bells), 100 BPM slowing to 80 BPM for the last two bars. Keys reach from
// A0 to A7 so that every key-tracked part of a sound is heard.
#include <cstdio>
#include <string>
#include <vector>

#include "midi_writer.h"

namespace {

using velora::demo::MidiTrackBuilder;

constexpr std::uint16_t kTicksPerQuarter = 480;
constexpr std::uint32_t kBar = 4 * kTicksPerQuarter;
constexpr std::uint32_t kEighth = kTicksPerQuarter / 2;
constexpr int kBars = 10;
// Every velocity is scaled by this: the song is dense (chords of up to seven
// keys under the pedal, a melody, bass and bells at once), and the factory
// sounds are levelled for single parts played at velocity 100.
constexpr double kDynamics = 0.6;

void note(MidiTrackBuilder& track, std::uint8_t channel, std::uint32_t start, std::uint32_t length, std::uint8_t key,
          std::uint8_t velocity) {
    const auto played = static_cast<std::uint8_t>(velocity * kDynamics + 0.5);
    track.add(start, {std::uint8_t(0x90 | channel), key, played});
    track.add(start + length, {std::uint8_t(0x80 | channel), key, 64});
}

MidiTrackBuilder tempoTrack() {
    MidiTrackBuilder track;
    track.text(0, 0x03, "Velora demo");
    track.add(0, {0xFF, 0x58, 0x04, 4, 2, 24, 8});  // 4/4
    track.tempo(0, 100.0);
    track.tempo(8 * kBar, 80.0);
    return track;
}

MidiTrackBuilder chordTrack() {
    const std::vector<std::vector<std::uint8_t>> chords = {
        {45, 52, 57, 60, 64},     {41, 48, 57, 60, 65}, {36, 43, 52, 55, 60, 64},
        {43, 50, 55, 59, 62, 67}, {45, 52, 57, 60, 64}, {41, 48, 57, 60, 65},
        {43, 50, 55, 59, 62, 67}, {40, 47, 56, 59, 64}, {33, 45, 52, 59, 60, 64, 71}};
    MidiTrackBuilder track;
    track.text(0, 0x03, "Chords");
    for (std::size_t bar = 0; bar < chords.size(); ++bar) {
        const bool last = bar + 1 == chords.size();
        const std::uint32_t start = static_cast<std::uint32_t>(bar) * kBar;
        const std::uint32_t length = last ? 2 * kBar - 120 : kBar - 60;
        for (std::size_t i = 0; i < chords[bar].size(); ++i)  // a slight strum upwards
            note(track, 0, start + 12 * static_cast<std::uint32_t>(i), length, chords[bar][i],
                 static_cast<std::uint8_t>(72 + (bar % 3) * 8 + i));
        // Pedal down after the chord starts, up just before the next one.
        track.add(start + 30, {0xB0, 64, 127});
        track.add(start + (last ? 2 * kBar - 40 : kBar - 20), {0xB0, 64, 0});
    }
    return track;
}

MidiTrackBuilder melodyTrack() {
    struct Step {
        int bar, eighth, eighths;
        std::uint8_t key;
    };
    const std::vector<Step> melody = {{0, 0, 2, 76}, {0, 2, 2, 81}, {0, 4, 1, 84}, {0, 5, 1, 83}, {0, 6, 2, 81},
                                      {1, 0, 4, 84}, {1, 4, 2, 81}, {1, 6, 2, 77}, {2, 0, 3, 79}, {2, 3, 1, 76},
                                      {2, 4, 2, 79}, {2, 6, 2, 84}, {3, 0, 6, 86}, {3, 6, 2, 83}, {4, 0, 2, 88},
                                      {4, 2, 1, 86}, {4, 3, 1, 84}, {4, 4, 4, 81}, {5, 0, 2, 89}, {5, 2, 2, 88},
                                      {5, 4, 2, 84}, {5, 6, 2, 81}, {6, 0, 2, 79}, {6, 2, 2, 83}, {6, 4, 2, 86},
                                      {6, 6, 2, 91}, {7, 0, 4, 92}, {7, 4, 4, 95}, {8, 0, 8, 93}};
    MidiTrackBuilder track;
    track.text(0, 0x03, "Melody");
    for (const Step& s : melody)
        note(track, 1, std::uint32_t(s.bar) * kBar + std::uint32_t(s.eighth) * kEighth,
             std::uint32_t(s.eighths) * kEighth - 20, s.key, static_cast<std::uint8_t>(90 + (s.eighth % 3) * 10));
    // A scoop into the long note of bar 4 and a slow wobble on the last held note of bar 8.
    for (std::uint32_t i = 0; i <= 12; ++i) track.add(3 * kBar + i * 40, {0xE1, 0, std::uint8_t(52 + i)});
    const std::uint8_t wobble[] = {64, 68, 72, 68, 64, 60, 56, 60, 64};
    for (std::uint32_t i = 0; i < sizeof wobble; ++i) track.add(7 * kBar + kBar / 2 + i * 120, {0xE1, 0, wobble[i]});
    // Modulation wheel up over bars 3 and 4, back down over bars 5 and 6.
    for (std::uint32_t tick = 0; tick <= 2 * kBar; tick += 60) {
        const auto value = static_cast<std::uint8_t>(tick * 127 / (2 * kBar));
        track.add(2 * kBar + tick, {0xB1, 1, value});
        track.add(6 * kBar - tick, {0xB1, 1, value});
    }
    return track;
}

MidiTrackBuilder bassAndBellsTrack() {
    const std::uint8_t roots[] = {33, 29, 36, 31, 33, 29, 31, 28};
    MidiTrackBuilder track;
    track.text(0, 0x03, "Bass and bells");
    for (std::uint32_t bar = 0; bar < 8; ++bar) {
        note(track, 2, bar * kBar, 2 * kTicksPerQuarter - 40, roots[bar], 100);
        note(track, 2, bar * kBar + 2 * kTicksPerQuarter, 2 * kTicksPerQuarter - 40, roots[bar] + 12, 80);
    }
    note(track, 2, 8 * kBar, 2 * kBar - 120, 21, 110);  // A0 under the final chord
    const std::uint8_t bells[] = {100, 105, 103, 108, 100, 96};
    for (std::uint32_t i = 0; i < sizeof bells; ++i)
        note(track, 2, 4 * kBar + i * kTicksPerQuarter, kEighth, bells[i], 70);
    const std::uint8_t sparkle[] = {96, 100, 105, 100, 96, 93, 88, 84};
    for (std::uint32_t i = 0; i < sizeof sparkle; ++i)
        note(track, 2, 9 * kBar + i * kEighth, kEighth - 30, sparkle[i], 60);
    return track;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string path = argc > 1 ? argv[1] : "demo.mid";
    static_assert(kBars == 10, "the chord and bass tables cover ten bars");
    const std::vector<MidiTrackBuilder> tracks = {tempoTrack(), chordTrack(), melodyTrack(), bassAndBellsTrack()};
    if (!velora::demo::writeMidiFile(path, kTicksPerQuarter, tracks)) {
        std::fprintf(stderr, "velora-demo: cannot write '%s'\n", path.c_str());
        return 1;
    }
    std::printf("%s\n", path.c_str());
    return 0;
}
