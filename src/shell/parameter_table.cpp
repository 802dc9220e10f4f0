#include "shell/parameter_table.h"

#include <array>

#include "effects/effect_chain.h"
#include "engine/synth_engine.h"

namespace velora {

namespace {

using engine::VoiceParam;
using effects::EffectParam;
using K = ParamKind;
using D = DisplayRule;
using S = StoreRule;

struct SoundRow {
    int index;
    ParamInfo info;
};

constexpr ParamInfo engineRow(const char* name, const char* label, D display, int slot, VoiceParam p,
                              S store = S::Raw, K kind = K::Sound) {
    return {name, label, kind, display, static_cast<std::int8_t>(slot), -1, ActionKind::Engine,
            static_cast<std::int8_t>(p), store};
}

constexpr ParamInfo effectRow(const char* name, const char* label, D display, int slot, EffectParam p,
                              S store = S::Raw) {
    return {name, label, K::Sound, display, static_cast<std::int8_t>(slot), -1, ActionKind::Effect,
            static_cast<std::int8_t>(p), store};
}

constexpr SoundRow kSoundRows[] = {
    {0, engineRow("T Unison Diff", "", D::Value, 2, VoiceParam::ToneUnisonDiff)},
    {2, engineRow("T Unison Amp", "dB", D::Value, 3, VoiceParam::ToneUnisonAmp)},
    {4, engineRow("A Unison Diff", "", D::Value, 4, VoiceParam::AttackUnisonDiff)},
    {6, engineRow("A Unison Amp", "dB", D::Value, 5, VoiceParam::AttackUnisonAmp)},
    {8, engineRow("T Wave Mix", "", D::Value, 8, VoiceParam::ToneWaveMix)},
    {10, engineRow("A Wave Mix", "", D::Value, 9, VoiceParam::AttackWaveMix)},
    {12, engineRow("A Freq Mult", "", D::FreqRatio, 11, VoiceParam::AttackFreqMult)},
    {14, engineRow("A Noise Mix", "dB", D::Value, 10, VoiceParam::NoiseMix)},
    {16, engineRow("Vib. Freq", "Hz", D::VibratoHz, 6, VoiceParam::VibratoFreq)},
    {18, engineRow("Vib. Dev", "", D::Value, 7, VoiceParam::VibratoDev)},
    {20, engineRow("T Amp Max Mult", "dB", D::Value, 12, VoiceParam::ToneAmpMax)},
    {22, engineRow("T Amp Decay", "", D::Value, 13, VoiceParam::ToneAmpDecay)},
    {24, engineRow("T Amp Min Mult", "dB", D::Value, 14, VoiceParam::ToneAmpMin)},
    {26, engineRow("A Amp Max Mult", "dB", D::Value, 15, VoiceParam::AttackAmpMax)},
    {28, engineRow("A Amp Decay", "", D::Value, 16, VoiceParam::AttackAmpDecay)},
    {30, engineRow("A Amp Min Mult", "dB", D::Value, 17, VoiceParam::AttackAmpMin)},
    {32, engineRow("T LP Max Mult", "", D::Value, 18, VoiceParam::ToneLpMax)},
    {34, engineRow("T LP Res", "", D::Value, 19, VoiceParam::ToneLpRes)},
    {36, engineRow("T LP Decay", "", D::Value, 20, VoiceParam::ToneLpDecay)},
    {38, engineRow("T LP Min Mult", "", D::Value, 21, VoiceParam::ToneLpMin)},
    {40, engineRow("A LP Max Mult", "", D::Value, 22, VoiceParam::AttackLpMax)},
    {42, engineRow("A LP Res", "", D::Value, 23, VoiceParam::AttackLpRes)},
    {44, engineRow("A LP Decay", "", D::Value, 24, VoiceParam::AttackLpDecay)},
    {46, engineRow("A LP Min Mult", "", D::Value, 25, VoiceParam::AttackLpMin)},
    {48, engineRow("Attack", "Seconds", D::Value, 26, VoiceParam::Attack)},
    {50, engineRow("Decay", "Seconds", D::Value, 27, VoiceParam::Decay)},
    {52, engineRow("Sustain", "dB", D::Decibels, 28, VoiceParam::Sustain, S::FlushTiny)},
    {54, engineRow("Release", "Seconds", D::Value, 29, VoiceParam::Release)},
    {56, engineRow("Delay 1", "", D::Value, 30, VoiceParam::Delay1)},
    {58, engineRow("Feedback 1", "%", D::Value, 31, VoiceParam::Feedback1)},
    {60, engineRow("Delay 2", "", D::Value, 32, VoiceParam::Delay2)},
    {62, engineRow("Feedback 2", "%", D::Value, 33, VoiceParam::Feedback2)},
    {64, effectRow("XDelay On", "", D::Value, 38, EffectParam::XDelayOn, S::Switch)},
    {66, effectRow("XD Length L", "", D::DelayLength, 39, EffectParam::XdLengthL)},
    {68, effectRow("XD FB L", "%", D::Value, 40, EffectParam::XdFeedback)},
    {70, effectRow("XD Length R", "", D::DelayLength, 41, EffectParam::XdLengthR)},
    {72, {"XD FB R", "%", K::Inert, D::None, -1, -1, ActionKind::None, 0, S::Raw}},
    {74, effectRow("XD Mix", "%", D::Value, 43, EffectParam::XdMix)},
    {76, effectRow("Reverb On", "", D::Value, 34, EffectParam::ReverbOn, S::Switch)},
    {78, effectRow("Reverb Time", "Seconds", D::ReverbTime, 35, EffectParam::ReverbTime)},
    {80, effectRow("Reverb Wet", "%", D::Value, 36, EffectParam::ReverbWet)},
    {82, effectRow("Reverb Dry", "%", D::Value, 37, EffectParam::ReverbDry)},
    {84, effectRow("Dist. On/Off", "", D::Value, 45, EffectParam::DistOn, S::Switch)},
    {86, effectRow("Dist. Dry", "", D::Value, 46, EffectParam::DistDry)},
    {88, effectRow("Dist. Wet", "", D::DistWet, 47, EffectParam::DistWet)},
    {90, effectRow("Panning", "", D::Value, 48, EffectParam::Panning)},
    {92, effectRow("Volume Major", "dB", D::MasterGain, 49, EffectParam::VolumeMajor)},
    {94, engineRow("Aftertouch On", "", D::Value, 52, VoiceParam::AftertouchOn, S::Switch)},
    {96, engineRow("A Under ADSR", "", D::Value, 53, VoiceParam::AttackUnderAdsr, S::Switch)},
    {98, {"Midi Learn", "", K::Sound, D::Value, 54, -1, ActionKind::MidiLearn, 0, S::Raw}},
    {99, effectRow("XD Tempo Sync", "", D::Value, 44, EffectParam::XdTempoSync, S::TempoSync)},
    {101, effectRow("Volume Minor", "%", D::Decibels, 50, EffectParam::VolumeMinor)},
    {104, engineRow("(hidden)", "", D::VoiceCount, 51, VoiceParam::VoiceLimit, S::Raw, K::VoiceLimit)},
    {107, engineRow("Tone On", "", D::Value, 0, VoiceParam::ToneOn)},
    {108, engineRow("Attack On", "", D::Value, 1, VoiceParam::AttackOn)},
};

constexpr ParamInfo kHidden{"(hidden)", "", K::Inert, D::None, -1, -1, ActionKind::None, 0, S::Raw};

// Assignments sit at their owner's slot + 53, except those of "Aftertouch On"
// and "A Under ADSR", which the record keeps at its end.
constexpr int assignmentSlot(int owner, int ownerSlot) {
    if (owner == 94) return 104;
    if (owner == 96) return 105;
    return ownerSlot + 53;
}

constexpr bool ownsAssignment(int index) {
    return (index >= 0 && index <= 70 && index % 2 == 0) || (index >= 74 && index <= 96 && index % 2 == 0) ||
           index == 99 || index == 101;
}

constexpr std::array<ParamInfo, kParamCount> buildTable() {
    std::array<ParamInfo, kParamCount> table{};
    for (auto& row : table) row = kHidden;
    for (const auto& row : kSoundRows) table[static_cast<std::size_t>(row.index)] = row.info;
    for (const auto& row : kSoundRows) {
        if (!ownsAssignment(row.index)) continue;
        ParamInfo& a = table[static_cast<std::size_t>(row.index + 1)];
        a = kHidden;
        a.kind = K::Assignment;
        a.slot = static_cast<std::int8_t>(assignmentSlot(row.index, row.info.slot));
        a.owner = static_cast<std::int8_t>(row.index);
    }
    return table;
}

constexpr std::array<ParamInfo, kParamCount> kTable = buildTable();

static_assert(kTable[1].slot == 55 && kTable[100].slot == 97 && kTable[102].slot == 103);
static_assert(kTable[95].slot == 104 && kTable[97].slot == 105 && kTable[73].kind == K::Inert);

}  // namespace

const ParamInfo& paramInfo(std::int32_t index) {
    if (static_cast<std::uint32_t>(index) >= static_cast<std::uint32_t>(kParamCount)) return kHidden;
    return kTable[static_cast<std::size_t>(index)];
}

int assignmentOf(int index) {
    return ownsAssignment(index) ? index + 1 : -1;
}

}  // namespace velora
