// SPDX-License-Identifier: MIT
#pragma once
// The host's parameter indexes by name. A learnable parameter's controller
// assignment is the index right after it (assignmentParam).
#include <cstdint>

namespace velora {

enum ParamId : std::int32_t {
    kParamToneUnisonDiff = 0,
    kParamToneUnisonAmp = 2,
    kParamAttackUnisonDiff = 4,
    kParamAttackUnisonAmp = 6,
    kParamToneWaveMix = 8,
    kParamAttackWaveMix = 10,
    kParamAttackFreqMult = 12,
    kParamNoiseMix = 14,
    kParamVibFreq = 16,
    kParamVibDev = 18,
    kParamToneAmpMax = 20,
    kParamToneAmpDecay = 22,
    kParamToneAmpMin = 24,
    kParamAttackAmpMax = 26,
    kParamAttackAmpDecay = 28,
    kParamAttackAmpMin = 30,
    kParamToneLpMax = 32,
    kParamToneLpRes = 34,
    kParamToneLpDecay = 36,
    kParamToneLpMin = 38,
    kParamAttackLpMax = 40,
    kParamAttackLpRes = 42,
    kParamAttackLpDecay = 44,
    kParamAttackLpMin = 46,
    kParamAttack = 48,
    kParamDecay = 50,
    kParamSustain = 52,
    kParamRelease = 54,
    kParamDelay1 = 56,
    kParamFeedback1 = 58,
    kParamDelay2 = 60,
    kParamFeedback2 = 62,
    kParamXDelayOn = 64,
    kParamXdLengthL = 66,
    kParamXdFbL = 68,
    kParamXdLengthR = 70,
    kParamXdFbR = 72,  // named, stored nowhere, never applied
    kParamXdMix = 74,
    kParamReverbOn = 76,
    kParamReverbTime = 78,
    kParamReverbWet = 80,
    kParamReverbDry = 82,
    kParamDistOn = 84,
    kParamDistDry = 86,
    kParamDistWet = 88,
    kParamPanning = 90,
    kParamVolumeMajor = 92,
    kParamAftertouchOn = 94,
    kParamAUnderAdsr = 96,
    kParamMidiLearn = 98,
    kParamXdTempoSync = 99,
    kParamVolumeMinor = 101,
    kParamInert103 = 103,
    kParamVoiceLimit = 104,  // hidden
    kParamInert105 = 105,
    kParamInert106 = 106,
    kParamToneOn = 107,
    kParamAttackOn = 108,
};

inline constexpr std::int32_t kParamCount = 109;
// Names no parameter wherever an index is expected (controller map, learn
// target); it lies outside 0..108.
inline constexpr std::int32_t kNoParam = 110;

constexpr std::int32_t assignmentParam(ParamId owner) { return owner + 1; }

}  // namespace velora
