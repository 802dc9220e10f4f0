// SPDX-License-Identifier: MIT
#include "bank_report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace velora::sound {
namespace {

constexpr int kMiddleC = 60, kLowC = 36;
constexpr double kHeld = 2.5;  // seconds the middle C is held
constexpr double kLoudestSpan = 0.4;
constexpr std::size_t kSpectrumSize = 8192;
constexpr double kSpectrumStart = 0.05;  // seconds after the note-on

// Parameters that spread a sound's partials around their nominal frequencies.
constexpr int kToneUnisonDiff = 0, kAttackUnisonDiff = 4, kAttackFreqMult = 12, kVibratoDepth = 18;
constexpr int kDistortionOn = 84, kVolumeMinor = 101;

constexpr double kNoLevel = -std::numeric_limits<double>::infinity();

double keyFrequency(int key) { return 440.0 * std::pow(2.0, (key - 69) / 12.0); }

Stereo heldKey(Player& player, int program, int key, int velocity, double held, double after) {
    std::vector<NoteEvent> events;
    addNote(events, player, 0.0, held, key, velocity);
    return player.play(program, events, player.frames(held + after));
}

Stereo chord(Player& player, int program, int velocity) {
    std::vector<NoteEvent> events;
    for (int key : {48, 52, 55, 60}) addNote(events, player, 0.0, 1.5, key, velocity);
    return player.play(program, events, player.frames(3.0));
}

// A major triad with its octave from `root`, held two seconds: once with
// velocities rising 10 below `velocity` to it (as a hand strikes a chord),
// once all at `velocity`. The loudest sample of both, in dBFS.
double fourNoteChordPeak(Player& player, int program, int root, int velocity) {
    constexpr int kShape[] = {0, 4, 7, 12}, kBelow[] = {10, 6, 3, 0};
    double peak = kNoLevel;
    for (bool spread : {true, false}) {
        std::vector<NoteEvent> events;
        for (int i = 0; i < 4; ++i)
            addNote(events, player, 0.0, 2.0, root + kShape[i], std::max(1, velocity - (spread ? kBelow[i] : 0)));
        peak = std::max(peak, peakDecibels(player.play(program, events, player.frames(3.0))));
    }
    return peak;
}

// Up and down the keyboard, ten notes a second, from E1 to C8.
Stereo phrase(Player& player, int program, int velocity) {
    const int up[] = {28, 36, 43, 48, 55, 60, 64, 67, 72, 76, 79, 84, 88, 91, 96, 100, 103, 108};
    std::vector<int> keys(std::begin(up), std::end(up));
    keys.insert(keys.end(), std::rbegin(up) + 1, std::rend(up));
    std::vector<NoteEvent> events;
    for (std::size_t i = 0; i < keys.size(); ++i) addNote(events, player, 0.1 * double(i), 0.09, keys[i], velocity);
    return player.play(program, events, player.frames(0.1 * double(keys.size()) + 1.5));
}

// A key held for two seconds (long enough for the slowest swell), then
// struck twice more while it rings out; the loudest 10 ms of the repeats over
// the loudest 10 ms of the held note.
double repeatRise(Player& player, int program, int key, int velocity) {
    constexpr double kHold = 2.0;
    std::vector<NoteEvent> events;
    addNote(events, player, 0.0, kHold, key, velocity);
    addNote(events, player, kHold + 0.1, 0.25, key, velocity);
    addNote(events, player, kHold + 0.45, 0.25, key, velocity);
    const Stereo audio = player.play(program, events, player.frames(kHold + 0.9));
    const std::size_t window = player.frames(0.01), hop = player.frames(0.005);
    const double held = loudestWindowDecibels(audio, 0, player.frames(kHold), window, hop);
    const double repeats = loudestWindowDecibels(audio, player.frames(kHold + 0.1), audio.frames(), window, hop);
    return repeats - held;
}

// A key struck and struck again 25 ms after its release, for strikes of 200
// ms and 1 s (long enough for a swell to open): how much the second strike
// adds above 15 kHz over the first, in dB, the larger of the two. New high
// partials raise both the band's level and its share of the strike; a rise
// in only one of them is no ringing (a slow attack makes the second strike
// louder all over, unison copies that run on from the first strike can
// cancel the body and so raise the share), so the smaller rise counts. Band
// levels 40 dB below the louder strike count as that: masked by the body
// either way, and no rise where the band is that quiet in both.
// Above 15 kHz, the second strike against the first: the rise of the band's
// level and of its share of the strike's energy, the worst of both strike lengths.
struct Ringing {
    double levelOrShare = kNoLevel, share = kNoLevel;
};

Ringing repeatRinging(Player& player, int program, int key, int velocity) {
    constexpr double kStrikes[] = {0.2, 1.0}, kGap = 0.025, kBandLow = 15000.0, kFloor = -40.0;
    Ringing worst;
    for (double strike : kStrikes) {
        std::vector<NoteEvent> events;
        addNote(events, player, 0.0, strike, key, velocity);
        addNote(events, player, strike + kGap, strike, key, velocity);
        const Stereo audio = player.play(program, events, player.frames(2.0 * strike + kGap));
        const std::size_t span = player.frames(strike);
        const BandPower first = bandPower(audio, 0, span, player.sampleRate(), kBandLow);
        const BandPower second = bandPower(audio, player.frames(strike + kGap), span, player.sampleRate(), kBandLow);
        if (first.total <= 0.0 && second.total <= 0.0) continue;  // silent: nothing to compare
        const double floor = powerDecibels(std::max(first.total, second.total)) + kFloor;
        auto level = [&](const BandPower& p) { return std::max(floor, powerDecibels(p.band)); };
        const double levelRise = level(second) - level(first);
        const double shareRise = levelRise - (powerDecibels(second.total) - powerDecibels(first.total));
        worst.levelOrShare = std::max(worst.levelOrShare, std::min(levelRise, shareRise));
        worst.share = std::max(worst.share, shareRise);
    }
    return worst;
}

// What decides where a program's partials and their folded images lie.
struct Layers {
    double toneUp, toneDown, attackUp, attackDown;  // unison ratios
    double ratio;                                   // Attack frequency ratio
    double vibrato;                                 // largest relative pitch swing of the Attack layer
    bool toneOdd, attackOdd;                        // only the odd-harmonic family sounds
};

constexpr int kToneWaveMix = 8, kAttackWaveMix = 10, kAttackAmpMax = 26;

Layers layersOf(Player& player, int program) {
    player.play(program, {}, 0);
    auto p = [&](int index) { return static_cast<double>(player.parameter(index)); };
    Layers l;
    l.toneUp = 1.000013 + 0.01 * p(kToneUnisonDiff);
    l.toneDown = 0.99998 - 0.01 * p(kToneUnisonDiff);
    l.attackUp = 1.000013 + 0.0166667 * p(kAttackUnisonDiff);
    l.attackDown = 0.99998 - 0.0166667 * p(kAttackUnisonDiff);
    l.ratio = 1.0 + 3.0 * p(kAttackFreqMult);
    l.vibrato = 0.025 * p(kVibratoDepth) * std::max(1.0, p(kAttackAmpMax));
    l.toneOdd = p(kToneWaveMix) == 0.0;
    l.attackOdd = p(kAttackWaveMix) == 0.0;
    return l;
}

// A band of the spectrum, in Hz.
struct Band {
    double low, high;
};

// Where the harmonics above half the sample rate of one layer's three copies
// fold back to. All copies read the table level chosen for the up copy.
void addFoldedBands(std::vector<Band>& bands, double rate, double base, double up, double down, double vibrato,
                    bool oddOnly) {
    const double step = base * up * 8192.0 / rate;
    const int level = std::min(39, static_cast<int>(4096.0 / step));
    for (double copy : {1.0, up, down}) {
        const double f = base * copy;
        for (int n = 1; n <= level + 1; n += oddOnly ? 2 : 1) {
            if (n * f <= rate / 2.0) continue;
            const double image = std::fabs(rate - n * f), swing = n * f * vibrato;
            bands.push_back({image - swing, image + swing});
        }
    }
}

// The same for the harmonics the sound is made of.
void addPartialBands(std::vector<Band>& bands, double rate, double base, double up, double down, double vibrato) {
    for (int n = 1; n * base * down <= rate / 2.0; ++n)
        bands.push_back({n * base * down * (1.0 - vibrato), n * base * up * (1.0 + vibrato)});
}

struct KeySpectrum {
    double aliasMargin = kNoLevel;  // loudest folded partial over the fundamental, dB
    double toneToNoise = 0.0;       // partials over everything else, dB
};

KeySpectrum analyseKey(Player& player, int program, int key, int velocity, const Layers& l) {
    const double rate = player.sampleRate(), f = keyFrequency(key), binWidth = rate / kSpectrumSize;
    const Stereo audio = heldKey(player, program, key, velocity, 0.3, 0.0);
    const std::vector<double> db = spectrumDecibels(audio, player.frames(kSpectrumStart), kSpectrumSize);
    std::vector<Band> partials, folded;
    addPartialBands(partials, rate, f, l.toneUp, l.toneDown, 0.0);
    addPartialBands(partials, rate, f * l.ratio, l.attackUp, l.attackDown, l.vibrato);
    addFoldedBands(folded, rate, f, l.toneUp, l.toneDown, 0.0, l.toneOdd);
    addFoldedBands(folded, rate, f * l.ratio, l.attackUp, l.attackDown, l.vibrato, l.attackOdd);
    const double guard = 4.0 * binWidth;  // half the window's main lobe
    auto binOf = [&](double hz) { return std::clamp<long>(std::lround(hz / binWidth), 0, long(db.size()) - 1); };
    auto inPartial = [&](double hz) {
        return std::any_of(partials.begin(), partials.end(),
                           [&](const Band& b) { return hz >= b.low - guard && hz <= b.high + guard; });
    };
    auto loudest = [&](Band b) {
        double level = kNoLevel;
        for (long k = binOf(b.low - guard); k <= binOf(b.high + guard); ++k)
            level = std::max(level, db[std::size_t(k)]);
        return level;
    };
    KeySpectrum result;
    const double fundamental = loudest({f * l.toneDown, f * l.toneUp});
    for (const Band& b : folded) {
        // An image on top of a partial cannot be told apart from it.
        if (inPartial(b.low) || inPartial(b.high) || inPartial(0.5 * (b.low + b.high))) continue;
        result.aliasMargin = std::max(result.aliasMargin, loudest(b) - fundamental);
    }
    double partialPower = 0.0, otherPower = 0.0;
    for (std::size_t k = static_cast<std::size_t>(30.0 / binWidth); k < db.size(); ++k)
        (inPartial(double(k) * binWidth) ? partialPower : otherPower) += std::pow(10.0, db[k] / 10.0);
    result.toneToNoise = otherPower > 0.0 ? 10.0 * std::log10(partialPower / otherPower) : 99.0;
    return result;
}

void measureHeld(Player& player, int program, int velocity, ProgramReport& r) {
    const Stereo c4 = heldKey(player, program, kMiddleC, velocity, kHeld, 1.5);
    const std::size_t held = player.frames(kHeld);
    r.finite = r.finite && allFinite(c4);
    r.heldLoudness = loudestWindowDecibels(c4, 0, held, player.frames(kLoudestSpan), player.frames(0.05));
    r.heldCorrelation = correlation(c4, 0, held);
    r.heldBalance = balanceDecibels(c4, 0, held);
    r.centroid = spectralCentroid(c4, 0, held, player.sampleRate());
    const Stereo c2 = heldKey(player, program, kLowC, velocity, 1.5, 0.5);
    r.finite = r.finite && allFinite(c2);
    r.lowCorrelation = correlation(c2, 0, player.frames(1.5));
    r.lowBalance = balanceDecibels(c2, 0, player.frames(1.5));
}

void measureCeiling(Player& player, int program, int velocity, ProgramReport& r) {
    const Stereo c = chord(player, program, velocity);
    r.ceiling = player.parameter(kVolumeMinor);
    r.chordPeak = peakDecibels(c);
    r.chordAtCeiling = samplesAtCeiling(c, r.ceiling);
    const Stereo p = phrase(player, program, velocity);
    r.phrasePeak = peakDecibels(p);
    r.phraseAtCeiling = samplesAtCeiling(p, r.ceiling);
    r.finite = r.finite && allFinite(c) && allFinite(p);
    r.fourNotePeak = std::max(fourNoteChordPeak(player, program, kMiddleC, velocity),
                              fourNoteChordPeak(player, program, kMiddleC + 12, velocity));
}

void measureTopKeys(Player& player, int program, const ReportSettings& s, ProgramReport& r) {
    r.repeatRise = kNoLevel;
    for (int key = s.firstRepeatKey; key <= s.lastRepeatKey; key += s.repeatKeyStep) {
        const double rise = repeatRise(player, program, key, s.velocity);
        if (rise > r.repeatRise) r.repeatRise = rise, r.repeatKey = key;
        const Ringing ringing = repeatRinging(player, program, key, s.velocity);
        const bool first = key == s.firstRepeatKey;
        if (first || ringing.levelOrShare > r.ringingRise) r.ringingRise = ringing.levelOrShare, r.ringingKey = key;
        if (first || ringing.share > r.shareRise) r.shareRise = ringing.share, r.shareKey = key;
    }
    const Layers layers = layersOf(player, program);
    r.aliasMargin = kNoLevel;
    for (int key = s.firstAliasKey; key <= s.lastAliasKey; key += s.aliasKeyStep) {
        const KeySpectrum k = analyseKey(player, program, key, s.velocity, layers);
        if (k.aliasMargin > r.aliasMargin) r.aliasMargin = k.aliasMargin, r.aliasKey = key;
        if (key == 96) r.toneToNoise96 = k.toneToNoise;
    }
}

}  // namespace

RateFigures measureRateFigures(Player& player, int program, int velocity) {
    RateFigures f;
    const std::size_t window = player.frames(kLoudestSpan), hop = player.frames(0.05);
    const Stereo c4 = heldKey(player, program, kMiddleC, velocity, kHeld, 0.0);
    f.heldLoudness = loudestWindowDecibels(c4, 0, c4.frames(), window, hop);
    f.heldCentroid = spectralCentroid(c4, 0, c4.frames(), player.sampleRate());
    const Stereo c = chord(player, program, velocity);
    const std::size_t held = player.frames(1.5);
    f.chordLoudness = loudestWindowDecibels(c, 0, held, window, hop);
    f.chordCentroid = spectralCentroid(c, 0, held, player.sampleRate());
    return f;
}

void addRateColumns(ProgramReport& report, Player& at44, Player& at48, Player& at96, int velocity) {
    const int program = report.number - 1;
    const double reference = measureRateFigures(at44, program, velocity).heldLoudness;
    report.loudness48 = measureRateFigures(at48, program, velocity).heldLoudness - reference;
    report.loudness96 = measureRateFigures(at96, program, velocity).heldLoudness - reference;
}

ProgramReport measureProgram(Player& player, int program, const ReportSettings& settings) {
    ProgramReport r;
    r.number = program + 1;
    r.name = player.programName(program);
    measureHeld(player, program, settings.velocity, r);
    measureCeiling(player, program, settings.velocity, r);
    measureTopKeys(player, program, settings, r);
    return r;
}

std::string describeSpectrum(Player& player, int program, int key, int velocity) {
    const Layers l = layersOf(player, program);
    const Stereo audio = heldKey(player, program, key, velocity, 0.3, 0.0);
    const std::vector<double> db = spectrumDecibels(audio, player.frames(kSpectrumStart), kSpectrumSize);
    std::vector<Band> folded;
    const double rate = player.sampleRate(), f = keyFrequency(key), binWidth = rate / kSpectrumSize;
    addFoldedBands(folded, rate, f, l.toneUp, l.toneDown, 0.0, l.toneOdd);
    addFoldedBands(folded, rate, f * l.ratio, l.attackUp, l.attackDown, l.vibrato, l.attackOdd);
    std::vector<std::size_t> peaks;
    for (std::size_t k = 2; k + 1 < db.size(); ++k)
        if (db[k] >= db[k - 1] && db[k] > db[k + 1]) peaks.push_back(k);
    std::sort(peaks.begin(), peaks.end(), [&](auto a, auto b) { return db[a] > db[b]; });
    std::string text;
    char line[128];
    std::snprintf(line, sizeof line,
                  "key %d: fundamental %.1f Hz, Attack ratio %.3f; peaks in Hz, dB, partial number\n", key, f, l.ratio);
    text += line;
    for (std::size_t i = 0; i < std::min<std::size_t>(16, peaks.size()); ++i) {
        const double hz = double(peaks[i]) * binWidth;
        const bool image = std::any_of(folded.begin(), folded.end(), [&](const Band& b) {
            return hz >= b.low - 4 * binWidth && hz <= b.high + 4 * binWidth;
        });
        std::snprintf(line, sizeof line, "  %8.1f %7.1f  %5.2f%s\n", hz, db[peaks[i]], hz / f, image ? "  folded" : "");
        text += line;
    }
    return text;
}

bool isBass(const ProgramReport& report) { return report.name.find("bass") != std::string::npos; }

const std::vector<Bound>& bankBounds() {
    static const std::vector<Bound> bounds = {
        {'N', "every render finite", [](const ProgramReport& r) { return r.finite; }},
        {'C', "C-major chord below the limiter", [](const ProgramReport& r) { return r.chordAtCeiling == 0; }},
        {'P', "phrase below the limiter", [](const ProgramReport& r) { return r.phraseAtCeiling == 0; }},
        {'K', "four-note chords from C4 and C5 at or below -1 dBFS",
         [](const ProgramReport& r) { return r.fourNotePeak <= -1.0; }},
        {'L', "held middle C at -20 +- 4 dBFS",
         [](const ProgramReport& r) { return std::fabs(r.heldLoudness + 20.0) <= 4.0; }},
        {'S', "L/R correlation above 0", [](const ProgramReport& r) { return r.heldCorrelation > 0.0; }},
        {'M', "basses centred within 1 dB and correlated at 0.9 or more",
         [](const ProgramReport& r) {
             return !isBass(r) || (std::fabs(r.heldBalance) <= 1.0 && std::fabs(r.lowBalance) <= 1.0 &&
                                   r.heldCorrelation >= 0.9 && r.lowCorrelation >= 0.9);
         }},
        {'R', "top keys repeated within 6 dB of the held note",
         [](const ProgramReport& r) { return r.repeatRise <= 6.0; }},
        {'H', "a top key struck again 25 ms after its release within 3 dB of the first strike's share above 15 kHz",
         [](const ProgramReport& r) { return r.ringingRise <= 3.0; }},
        {'A', "no folded partial above the fundamental", [](const ProgramReport& r) { return r.aliasMargin < 0.0; }},
        {'F', "held middle C at 48 and 96 kHz within 1.5 dB of 44.1 kHz",
         [](const ProgramReport& r) { return std::fabs(r.loudness48) <= 1.5 && std::fabs(r.loudness96) <= 1.5; }},
    };
    return bounds;
}

std::string failedBounds(const ProgramReport& r) {
    std::string failed;
    for (const Bound& b : bankBounds())
        if (!b.holds(r)) failed += b.letter;
    return failed.empty() ? "ok" : failed;
}

bool isBright(const ProgramReport& report) { return report.centroid > kBrightCentroid; }

std::string brightSummary(const std::vector<ProgramReport>& reports) {
    std::string names;
    for (const ProgramReport& r : reports)
        if (isBright(r)) names += (names.empty() ? "" : ", ") + std::to_string(r.number);
    const auto count = std::count_if(reports.begin(), reports.end(), isBright);
    char line[96];
    std::snprintf(line, sizeof line, "held middle C centroid above %.0f Hz: %td program%s", kBrightCentroid, count,
                  count == 1 ? "" : "s");
    return line + (names.empty() ? std::string() : " (" + names + ")");
}

std::string reportHeader() {
    return "prog name                   chord  @ceil  phrase @ceil  4-note  C4-400ms  corr   bal  corr36 bal36  "
           "repeat@key   ring@key   share@key    alias@key  tnr96  centroid  d48k  d96k  bounds";
}

std::string reportLine(const ProgramReport& r) {
    char line[256];
    std::snprintf(line, sizeof line,
                  "%3d  %-22.22s %6.1f %5zu  %6.1f %5zu  %6.1f  %7.1f  %5.2f %5.1f  %5.2f %5.1f  %6.1f@%-3d  "
                  "%6.1f@%-3d  %6.1f@%-3d  %6.1f@%-3d %5.1f  %7.0f  %+5.1f %+5.1f  %s",
                  r.number, r.name.c_str(), r.chordPeak, r.chordAtCeiling, r.phrasePeak, r.phraseAtCeiling,
                  r.fourNotePeak, r.heldLoudness, r.heldCorrelation, r.heldBalance, r.lowCorrelation, r.lowBalance,
                  r.repeatRise, r.repeatKey, r.ringingRise, r.ringingKey, r.shareRise, r.shareKey, r.aliasMargin,
                  r.aliasKey, r.toneToNoise96, r.centroid, r.loudness48, r.loudness96, failedBounds(r).c_str());
    return line;
}

}  // namespace velora::sound
