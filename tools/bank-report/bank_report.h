// SPDX-License-Identifier: MIT
#pragma once
// The bank report: every program played through the test phrases (a held
// middle C, a C-major chord from C3 to C4, a fast phrase across the keyboard,
// held low and high keys, top keys struck again during their release) and
// measured for level, stereo image, bursts and aliasing.
#include <string>
#include <vector>

#include "player.h"

namespace velora::sound {

struct ReportSettings {
    int velocity = 100;
    int firstRepeatKey = 96, lastRepeatKey = 108, repeatKeyStep = 1;
    int firstAliasKey = 60, lastAliasKey = 108, aliasKeyStep = 1;
};

struct ProgramReport {
    int number = 0;  // as in the names, 1..64
    std::string name;
    bool finite = true;
    float ceiling = 1.0f;                                 // the final gain: where the limiter holds the output
    double chordPeak = 0, phrasePeak = 0;                 // dBFS
    double fourNotePeak = 0;                              // dBFS, loudest of the four-note chords in two registers
    std::size_t chordAtCeiling = 0, phraseAtCeiling = 0;  // samples of both channels
    double heldLoudness = 0;                              // loudest 400 ms of the held middle C, dBFS RMS
    double heldCorrelation = 0, heldBalance = 0;          // L/R correlation; left over right in dB
    double lowCorrelation = 0, lowBalance = 0;            // the same for a held C2
    double repeatRise = 0;                                // loudest repeat over the held note, dB (worst key)
    int repeatKey = 0;
    double ringingRise = 0;  // above 15 kHz, a quick second strike over the first: the smaller of the
    int ringingKey = 0;      // band's level rise and its share's rise, dB (worst key)
    double shareRise = 0;    // the share's rise alone, which a body cancelling on the re-strike also raises
    int shareKey = 0;
    double aliasMargin = 0;  // loudest folded partial over the fundamental, dB (worst key)
    int aliasKey = 0;
    double toneToNoise96 = 0;               // partials over everything else at key 96, dB
    double centroid = 0;                    // Hz, held middle C
    double loudness48 = 0, loudness96 = 0;  // held middle C at 48 and 96 kHz over 44.1 kHz, dB
};

// What the sample rate may change: the loudest 400 ms and the spectral
// centroid of a held middle C and of the C-major chord.
struct RateFigures {
    double heldLoudness = 0, heldCentroid = 0;
    double chordLoudness = 0, chordCentroid = 0;
};
RateFigures measureRateFigures(Player& player, int program, int velocity);

// Fills the 48 and 96 kHz loudness columns from players at those rates and
// at 44.1 kHz.
void addRateColumns(ProgramReport& report, Player& at44, Player& at48, Player& at96, int velocity);

ProgramReport measureProgram(Player& player, int program, const ReportSettings& settings = {});

// The loudest spectrum peaks of one held key, each marked as a partial of
// the sound or not: the detail behind an alias figure.
std::string describeSpectrum(Player& player, int program, int key, int velocity);

// Bass programs (by name) must be centred and close to mono.
bool isBass(const ProgramReport& report);

// A bound every team-designed program keeps, named by a letter in the report.
struct Bound {
    char letter;
    const char* meaning;
    bool (*holds)(const ProgramReport&);
};

// The bank's bounds: every render finite, chord and phrase below the limiter,
// four-note chords at or below -1 dBFS, the loudest 400 ms of a held middle C
// at -20 +- 4 dBFS, L/R correlation above 0, basses centred and near mono, top
// keys repeated during their release within 6 dB of the held note and struck
// again quickly without new high partials, no folded partial above the
// fundamental.
const std::vector<Bound>& bankBounds();

// Where a held middle C counts as bright, and how many team programs must be.
inline constexpr double kBrightCentroid = 2000.0;
inline constexpr int kBrightProgramsWanted = 4;
bool isBright(const ProgramReport& report);

// The letters of the bounds the program misses, or "ok".
std::string failedBounds(const ProgramReport& report);

// The bank-wide line under the report: how many programs are bright.
std::string brightSummary(const std::vector<ProgramReport>& reports);

std::string reportHeader();
std::string reportLine(const ProgramReport& report);

}  // namespace velora::sound
