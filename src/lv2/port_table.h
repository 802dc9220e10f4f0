// SPDX-License-Identifier: MIT
#pragma once
// The LV2 ports, written once. A session stores a control port by its symbol,
// so a symbol here may never be renamed or reused; new ports go at the end.
// Port indexes follow this order: the two atom ports, the two audio outputs,
// one control port per row of kControlPorts, then the latency output.
#include <cstdint>

#include "core/param_id.h"

namespace velora::lv2 {

inline constexpr const char* kPluginUri = "urn:velora:synth";
inline constexpr const char* kUiUri = "urn:velora:synth#ui";

enum FixedPort : std::uint32_t {
    kPortEventsIn = 0,  // atom:Sequence of MIDI events and time:Position
    kPortNotify = 1,    // atom:Sequence from the plug-in to its user interface
    kPortAudioLeft = 2,
    kPortAudioRight = 3,
    kFirstControlPort = 4,
};

// Symbols of the fixed ports, in index order. Frozen: see above.
inline constexpr const char* kFixedPortSymbols[kFirstControlPort] = {"events_in", "notify", "out_left", "out_right"};

struct ControlPort {
    ParamId param;
    const char* symbol;
};

// Every parameter a user sets, in parameter order. Frozen: see above.
inline constexpr ControlPort kControlPorts[] = {
    {kParamToneUnisonDiff, "tone_unison_diff"},
    {kParamToneUnisonAmp, "tone_unison_amp"},
    {kParamAttackUnisonDiff, "attack_unison_diff"},
    {kParamAttackUnisonAmp, "attack_unison_amp"},
    {kParamToneWaveMix, "tone_wave_mix"},
    {kParamAttackWaveMix, "attack_wave_mix"},
    {kParamAttackFreqMult, "attack_freq_mult"},
    {kParamNoiseMix, "attack_noise_mix"},
    {kParamVibFreq, "vibrato_freq"},
    {kParamVibDev, "vibrato_dev"},
    {kParamToneAmpMax, "tone_amp_max"},
    {kParamToneAmpDecay, "tone_amp_decay"},
    {kParamToneAmpMin, "tone_amp_min"},
    {kParamAttackAmpMax, "attack_amp_max"},
    {kParamAttackAmpDecay, "attack_amp_decay"},
    {kParamAttackAmpMin, "attack_amp_min"},
    {kParamToneLpMax, "tone_lp_max"},
    {kParamToneLpRes, "tone_lp_res"},
    {kParamToneLpDecay, "tone_lp_decay"},
    {kParamToneLpMin, "tone_lp_min"},
    {kParamAttackLpMax, "attack_lp_max"},
    {kParamAttackLpRes, "attack_lp_res"},
    {kParamAttackLpDecay, "attack_lp_decay"},
    {kParamAttackLpMin, "attack_lp_min"},
    {kParamAttack, "attack"},
    {kParamDecay, "decay"},
    {kParamSustain, "sustain"},
    {kParamRelease, "release"},
    {kParamDelay1, "delay_1"},
    {kParamFeedback1, "feedback_1"},
    {kParamDelay2, "delay_2"},
    {kParamFeedback2, "feedback_2"},
    {kParamXDelayOn, "xdelay_on"},
    {kParamXdLengthL, "xdelay_length_l"},
    {kParamXdFbL, "xdelay_feedback_l"},
    {kParamXdLengthR, "xdelay_length_r"},
    {kParamXdFbR, "xdelay_feedback_r"},
    {kParamXdMix, "xdelay_mix"},
    {kParamReverbOn, "reverb_on"},
    {kParamReverbTime, "reverb_time"},
    {kParamReverbWet, "reverb_wet"},
    {kParamReverbDry, "reverb_dry"},
    {kParamDistOn, "dist_on"},
    {kParamDistDry, "dist_dry"},
    {kParamDistWet, "dist_wet"},
    {kParamPanning, "panning"},
    {kParamVolumeMajor, "volume_major"},
    {kParamAftertouchOn, "aftertouch_on"},
    {kParamAUnderAdsr, "attack_under_adsr"},
    {kParamMidiLearn, "midi_learn"},
    {kParamXdTempoSync, "xdelay_tempo_sync"},
    {kParamVolumeMinor, "volume_minor"},
    {kParamVoiceLimit, "voices"},  // in voices 1..127, not 0..1
    {kParamToneOn, "tone_on"},
    {kParamAttackOn, "attack_on"},
};

inline constexpr std::uint32_t kControlPortCount = sizeof(kControlPorts) / sizeof(kControlPorts[0]);
// Output: the delay of the rate converter in frames, for the host to compensate.
inline constexpr std::uint32_t kPortLatency = kFirstControlPort + kControlPortCount;
inline constexpr const char* kLatencySymbol = "latency";
inline constexpr std::uint32_t kPortCount = kPortLatency + 1;

// The parameter of a control port, or -1 for any other port index.
constexpr std::int32_t paramOfPort(std::uint32_t port) {
    return port >= kFirstControlPort && port < kPortLatency ? kControlPorts[port - kFirstControlPort].param : -1;
}

// The control port of a parameter, or -1 when it has none.
constexpr std::int32_t portOfParam(std::int32_t param) {
    for (std::uint32_t row = 0; row < kControlPortCount; ++row)
        if (kControlPorts[row].param == param) return static_cast<std::int32_t>(kFirstControlPort + row);
    return -1;
}

}  // namespace velora::lv2
