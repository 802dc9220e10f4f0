// SPDX-License-Identifier: MIT
// Plays the whole bank through the built plug-in and holds every program to
// the bank's bounds: levels, limiter, headroom on chords, stereo image, top-key
// repeats and quick re-strikes, aliasing.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "bank_report.h"

namespace velora::sound {
namespace {

// The published programs stay exactly as published; where their own sound
// already exceeds a bound (named by its letter) they are exempt from it.
const std::map<int, std::string> kPublishedExceeds = {
    {1, "CPKHA"},    // "1: crystal pad": full-scale chords, bright re-strikes, folded partials at the top
    {30, "CPL"},     // "30: dusty wurly": chords into the limiter, middle C below -24 dBFS
    {56, "CPLRHA"},  // "56: cygnus": loud, top keys ring up, brighten on a re-strike and fold
};

// Team programs that still miss the headroom (K) or re-strike (H) bound, to
// be brought inside; every other bound holds for them.
const std::map<int, std::string> kNotYetWithin = {
    {14, "K"},  // "14: whispering pebbles": its noise burst 23 dB over the held level
    {36, "K"},  // "36: pipa": a plucked attack 22.6 dB over the held level
    {37, "K"},  // "37: pizzicato orchestra"
    {39, "K"},  // "39: plucked pad"
    {47, "H"},  // "47: epic": the swell's top partials return at once on a re-strike
    {54, "K"},  // "54: decay synth"
    {59, "H"},  // "59: warm lead"
};

std::string exemptions(int number) {
    std::string letters;
    for (const auto* table : {&kPublishedExceeds, &kNotYetWithin})
        if (const auto found = table->find(number); found != table->end()) letters += found->second;
    return letters;
}

// Every other top key and every other key from middle C up keeps the run short.
ReportSettings quickSettings() {
    ReportSettings s;
    s.repeatKeyStep = 2;
    s.aliasKeyStep = 2;
    return s;
}

TEST(FactoryBankBounds, EveryProgramStaysInsideTheBounds) {
    Player player(VELORA_PLUGIN_PATH, 44100.0);
    ASSERT_TRUE(player.loaded()) << player.error();
    std::vector<ProgramReport> team;
    for (int program = 0; program < 64; ++program) {
        const ProgramReport report = measureProgram(player, program, quickSettings());
        const std::string exempt = exemptions(report.number);
        for (const Bound& bound : bankBounds()) {
            if (exempt.find(bound.letter) != std::string::npos) continue;
            EXPECT_TRUE(bound.holds(report)) << bound.meaning << "\n" << reportHeader() << "\n" << reportLine(report);
        }
        if (!kPublishedExceeds.contains(report.number)) team.push_back(report);
    }
    EXPECT_GE(std::count_if(team.begin(), team.end(), isBright), kBrightProgramsWanted) << brightSummary(team);
}

}  // namespace
}  // namespace velora::sound
