// SPDX-License-Identifier: MIT
// The bank at the session rates hosts use most besides 44.1 kHz: every
// program's held middle C and C-major chord keep their 44.1 kHz loudness and
// colour, and notes start at the same instant.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "bank_report.h"
#include "rate_comparison.h"

namespace velora::sound {
namespace {

TEST(FactoryBankRates, EveryProgramSoundsAsAt44100) {
    Player reference(VELORA_PLUGIN_PATH, 44100.0);
    ASSERT_TRUE(reference.loaded()) << reference.error();
    const std::vector<double> rates = {48000.0, 88200.0, 96000.0};
    std::vector<std::unique_ptr<Player>> players;
    for (double rate : rates) players.push_back(std::make_unique<Player>(VELORA_PLUGIN_PATH, rate));
    for (int program = 0; program < 64; ++program) {
        const RateFigures base = measureRateFigures(reference, program, 100);
        std::vector<RateDifference> row;
        for (auto& player : players) row.push_back(rateDifference(base, measureRateFigures(*player, program, 100)));
        for (std::size_t r = 0; r < rates.size(); ++r)
            EXPECT_TRUE(withinRateBounds(row[r]))
                << rates[r] << " Hz\n"
                << rateTableHeader(rates) << "\n"
                << rateTableLine(program + 1, reference.programName(program), base, row);
    }
}

// The instant the mid signal first reaches a tenth of its loudest 10 ms, in seconds.
double onset(Player& player, int program, double on) {
    std::vector<NoteEvent> events;
    addNote(events, player, on, 0.3, 60, 100);
    const Stereo audio = player.play(program, events, player.frames(on + 0.3));
    const double threshold =
        0.1 * std::pow(10.0, loudestWindowDecibels(audio, 0, audio.frames(), player.frames(0.01)) / 20.0);
    for (std::size_t i = 0; i < audio.frames(); ++i)
        if (std::fabs(0.5 * (audio.left[i] + audio.right[i])) >= threshold) return double(i) / player.sampleRate();
    return -1.0;
}

TEST(FactoryBankRates, NotesStartAtTheSameInstantToWithinASample) {
    Player reference(VELORA_PLUGIN_PATH, 44100.0);
    ASSERT_TRUE(reference.loaded()) << reference.error();
    for (double rate : {48000.0, 88200.0, 96000.0, 192000.0, 22050.0}) {
        Player player(VELORA_PLUGIN_PATH, rate);
        for (int program : {0, 28, 40})
            for (double on : {0.0, 0.1003, 0.2517}) {
                const double expected = onset(reference, program, on), actual = onset(player, program, on);
                ASSERT_GE(expected, 0.0);
                EXPECT_NEAR(actual, expected, 1.0 / 44100.0 + 1.0 / rate)
                    << rate << " Hz, program " << program + 1 << ", on " << on;
            }
    }
}

}  // namespace
}  // namespace velora::sound
