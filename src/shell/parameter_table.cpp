// SPDX-License-Identifier: MIT
#include "shell/parameter_table.h"

#include <array>

#include "effects/effect_chain.h"
#include "engine/synth_engine.h"
#include "programs/program.h"

namespace velora {

namespace {

using effects::EffectParam;
using engine::VoiceParam;
using K = ParamKind;
using D = DisplayRule;
using S = StoreRule;

struct SoundRow {
    int index;
    ParamInfo info;
};

constexpr ParamInfo engineRow(const char* name, const char* label, D display, int slot, VoiceParam p, S store = S::Raw,
                              K kind = K::Sound) {
    return {
        name, label, kind, display, static_cast<std::int8_t>(slot), -1, ActionKind::Engine, static_cast<std::int8_t>(p),
        store};
}

constexpr ParamInfo effectRow(const char* name, const char* label, D display, int slot, EffectParam p,
                              S store = S::Raw) {
    return {name,
            label,
            K::Sound,
            display,
            static_cast<std::int8_t>(slot),
            -1,
            ActionKind::Effect,
            static_cast<std::int8_t>(p),
            store};
}

constexpr SoundRow kSoundRows[] = {
    {kParamToneUnisonDiff, engineRow("T Unison Diff", "", D::Value, kSlotToneUnisonDiff, VoiceParam::ToneUnisonDiff)},
    {kParamToneUnisonAmp, engineRow("T Unison Amp", "dB", D::Value, kSlotToneUnisonAmp, VoiceParam::ToneUnisonAmp)},
    {kParamAttackUnisonDiff,
     engineRow("A Unison Diff", "", D::Value, kSlotAttackUnisonDiff, VoiceParam::AttackUnisonDiff)},
    {kParamAttackUnisonAmp,
     engineRow("A Unison Amp", "dB", D::Value, kSlotAttackUnisonAmp, VoiceParam::AttackUnisonAmp)},
    {kParamToneWaveMix, engineRow("T Wave Mix", "", D::Value, kSlotToneWaveMix, VoiceParam::ToneWaveMix)},
    {kParamAttackWaveMix, engineRow("A Wave Mix", "", D::Value, kSlotAttackWaveMix, VoiceParam::AttackWaveMix)},
    {kParamAttackFreqMult, engineRow("A Freq Mult", "", D::FreqRatio, kSlotAttackFreqMult, VoiceParam::AttackFreqMult)},
    {kParamNoiseMix, engineRow("A Noise Mix", "dB", D::Value, kSlotNoiseMix, VoiceParam::NoiseMix)},
    {kParamVibFreq, engineRow("Vib. Freq", "Hz", D::VibratoHz, kSlotVibFreq, VoiceParam::VibratoFreq)},
    {kParamVibDev, engineRow("Vib. Dev", "", D::Value, kSlotVibDev, VoiceParam::VibratoDev)},
    {kParamToneAmpMax, engineRow("T Amp Max Mult", "dB", D::Value, kSlotToneAmpMax, VoiceParam::ToneAmpMax)},
    {kParamToneAmpDecay, engineRow("T Amp Decay", "", D::Value, kSlotToneAmpDecay, VoiceParam::ToneAmpDecay)},
    {kParamToneAmpMin, engineRow("T Amp Min Mult", "dB", D::Value, kSlotToneAmpMin, VoiceParam::ToneAmpMin)},
    {kParamAttackAmpMax, engineRow("A Amp Max Mult", "dB", D::Value, kSlotAttackAmpMax, VoiceParam::AttackAmpMax)},
    {kParamAttackAmpDecay, engineRow("A Amp Decay", "", D::Value, kSlotAttackAmpDecay, VoiceParam::AttackAmpDecay)},
    {kParamAttackAmpMin, engineRow("A Amp Min Mult", "dB", D::Value, kSlotAttackAmpMin, VoiceParam::AttackAmpMin)},
    {kParamToneLpMax, engineRow("T LP Max Mult", "", D::Value, kSlotToneLpMax, VoiceParam::ToneLpMax)},
    {kParamToneLpRes, engineRow("T LP Res", "", D::Value, kSlotToneLpRes, VoiceParam::ToneLpRes)},
    {kParamToneLpDecay, engineRow("T LP Decay", "", D::Value, kSlotToneLpDecay, VoiceParam::ToneLpDecay)},
    {kParamToneLpMin, engineRow("T LP Min Mult", "", D::Value, kSlotToneLpMin, VoiceParam::ToneLpMin)},
    {kParamAttackLpMax, engineRow("A LP Max Mult", "", D::Value, kSlotAttackLpMax, VoiceParam::AttackLpMax)},
    {kParamAttackLpRes, engineRow("A LP Res", "", D::Value, kSlotAttackLpRes, VoiceParam::AttackLpRes)},
    {kParamAttackLpDecay, engineRow("A LP Decay", "", D::Value, kSlotAttackLpDecay, VoiceParam::AttackLpDecay)},
    {kParamAttackLpMin, engineRow("A LP Min Mult", "", D::Value, kSlotAttackLpMin, VoiceParam::AttackLpMin)},
    {kParamAttack, engineRow("Attack", "Seconds", D::Value, kSlotAttack, VoiceParam::Attack)},
    {kParamDecay, engineRow("Decay", "Seconds", D::Value, kSlotDecay, VoiceParam::Decay)},
    {kParamSustain, engineRow("Sustain", "dB", D::Decibels, kSlotSustain, VoiceParam::Sustain, S::FlushTiny)},
    {kParamRelease, engineRow("Release", "Seconds", D::Value, kSlotRelease, VoiceParam::Release)},
    {kParamDelay1, engineRow("Delay 1", "", D::Value, kSlotDelay1, VoiceParam::Delay1)},
    {kParamFeedback1, engineRow("Feedback 1", "%", D::Value, kSlotFeedback1, VoiceParam::Feedback1)},
    {kParamDelay2, engineRow("Delay 2", "", D::Value, kSlotDelay2, VoiceParam::Delay2)},
    {kParamFeedback2, engineRow("Feedback 2", "%", D::Value, kSlotFeedback2, VoiceParam::Feedback2)},
    {kParamXDelayOn, effectRow("XDelay On", "", D::Value, kSlotXDelayOn, EffectParam::XDelayOn, S::Switch)},
    {kParamXdLengthL, effectRow("XD Length L", "", D::DelayLength, kSlotXdLengthL, EffectParam::XdLengthL)},
    {kParamXdFbL, effectRow("XD FB L", "%", D::Value, kSlotXdFbL, EffectParam::XdFeedback)},
    {kParamXdLengthR, effectRow("XD Length R", "", D::DelayLength, kSlotXdLengthR, EffectParam::XdLengthR)},
    {kParamXdFbR, {"XD FB R", "%", K::Inert, D::None, -1, -1, ActionKind::None, 0, S::Raw}},
    {kParamXdMix, effectRow("XD Mix", "%", D::Value, kSlotXdMix, EffectParam::XdMix)},
    {kParamReverbOn, effectRow("Reverb On", "", D::Value, kSlotReverbOn, EffectParam::ReverbOn, S::Switch)},
    {kParamReverbTime, effectRow("Reverb Time", "Seconds", D::ReverbTime, kSlotReverbTime, EffectParam::ReverbTime)},
    {kParamReverbWet, effectRow("Reverb Wet", "%", D::Value, kSlotReverbWet, EffectParam::ReverbWet)},
    {kParamReverbDry, effectRow("Reverb Dry", "%", D::Value, kSlotReverbDry, EffectParam::ReverbDry)},
    {kParamDistOn, effectRow("Dist. On/Off", "", D::Value, kSlotDistOn, EffectParam::DistOn, S::Switch)},
    {kParamDistDry, effectRow("Dist. Dry", "", D::Value, kSlotDistDry, EffectParam::DistDry)},
    {kParamDistWet, effectRow("Dist. Wet", "", D::DistWet, kSlotDistWet, EffectParam::DistWet)},
    {kParamPanning, effectRow("Panning", "", D::Value, kSlotPanning, EffectParam::Panning)},
    {kParamVolumeMajor, effectRow("Volume Major", "dB", D::MasterGain, kSlotVolumeMajor, EffectParam::VolumeMajor)},
    {kParamAftertouchOn,
     engineRow("Aftertouch On", "", D::Value, kSlotAftertouchOn, VoiceParam::AftertouchOn, S::Switch)},
    {kParamAUnderAdsr,
     engineRow("A Under ADSR", "", D::Value, kSlotAUnderAdsr, VoiceParam::AttackUnderAdsr, S::Switch)},
    {kParamMidiLearn, {"Midi Learn", "", K::Sound, D::Value, kSlotMidiLearn, -1, ActionKind::MidiLearn, 0, S::Raw}},
    {kParamXdTempoSync,
     effectRow("XD Tempo Sync", "", D::Value, kSlotXdTempoSync, EffectParam::XdTempoSync, S::TempoSync)},
    {kParamVolumeMinor, effectRow("Volume Minor", "%", D::Decibels, kSlotVolumeMinor, EffectParam::VolumeMinor)},
    {kParamVoiceLimit,
     engineRow("(hidden)", "", D::VoiceCount, kSlotVoiceLimit, VoiceParam::VoiceLimit, S::Raw, K::VoiceLimit)},
    {kParamToneOn, engineRow("Tone On", "", D::Value, kSlotToneOn, VoiceParam::ToneOn)},
    {kParamAttackOn, engineRow("Attack On", "", D::Value, kSlotAttackOn, VoiceParam::AttackOn)},
};

constexpr ParamInfo kHidden{"(hidden)", "", K::Inert, D::None, -1, -1, ActionKind::None, 0, S::Raw};

// Every sound parameter up to "A Under ADSR" but "XD FB R", and "XD Tempo
// Sync" and "Volume Minor", has its assignment right after it.
constexpr bool ownsAssignment(int index) {
    const bool evenSound = index >= kParamToneUnisonDiff && index <= kParamAUnderAdsr && index % 2 == 0;
    return (evenSound && index != kParamXdFbR) || index == kParamXdTempoSync || index == kParamVolumeMinor;
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
        a.slot = static_cast<std::int8_t>(assignmentSlot(row.info.slot));
        a.owner = static_cast<std::int8_t>(row.index);
    }
    return table;
}

constexpr std::array<ParamInfo, kParamCount> kTable = buildTable();

static_assert(kTable[assignmentParam(kParamToneUnisonDiff)].slot == kFirstAssignmentSlot);
static_assert(kTable[assignmentParam(kParamXdTempoSync)].slot == 97 &&
              kTable[assignmentParam(kParamVolumeMinor)].slot == 103);
static_assert(kTable[assignmentParam(kParamAftertouchOn)].slot == kSlotAftertouchOnAssignment &&
              kTable[assignmentParam(kParamAUnderAdsr)].slot == kSlotAUnderAdsrAssignment);
static_assert(kTable[assignmentParam(kParamXdFbR)].kind == K::Inert);

}  // namespace

const ParamInfo& paramInfo(std::int32_t index) {
    if (static_cast<std::uint32_t>(index) >= static_cast<std::uint32_t>(kParamCount)) return kHidden;
    return kTable[static_cast<std::size_t>(index)];
}

int assignmentOf(int index) { return ownsAssignment(index) ? assignmentParam(static_cast<ParamId>(index)) : -1; }

}  // namespace velora
