// SPDX-License-Identifier: MIT
#pragma once
// The parameters whose values the engine turns into its own quantities.

namespace velora::engine {

enum class VoiceParam : int {
    ToneUnisonDiff,
    ToneUnisonAmp,
    AttackUnisonDiff,
    AttackUnisonAmp,
    ToneWaveMix,
    AttackWaveMix,
    AttackFreqMult,
    NoiseMix,
    VibratoFreq,
    VibratoDev,
    ToneAmpMax,
    ToneAmpDecay,
    ToneAmpMin,
    AttackAmpMax,
    AttackAmpDecay,
    AttackAmpMin,
    ToneLpMax,
    ToneLpRes,
    ToneLpDecay,
    ToneLpMin,
    AttackLpMax,
    AttackLpRes,
    AttackLpDecay,
    AttackLpMin,
    Attack,
    Decay,
    Sustain,
    Release,
    Delay1,
    Feedback1,
    Delay2,
    Feedback2,
    ToneOn,
    AttackOn,
    AttackUnderAdsr,
    AftertouchOn,
    VoiceLimit,
    Count
};

inline constexpr int kVoiceParamCount = static_cast<int>(VoiceParam::Count);

}  // namespace velora::engine
