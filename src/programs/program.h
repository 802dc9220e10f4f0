// SPDX-License-Identifier: MIT
#pragma once
// One stored sound: the value of every stored parameter, the controller
// assignments learned for it, and its name.
#include <cstddef>

namespace velora {

inline constexpr int kProgramCount = 64;
inline constexpr int kSlotCount = 106;
inline constexpr std::size_t kProgramNameSize = 24;  // 23 characters and the terminator

// Value slots of the sound parameters, in record order.
// clang-format off
enum Slot : int {
    kSlotToneOn = 0, kSlotAttackOn, kSlotToneUnisonDiff, kSlotToneUnisonAmp, kSlotAttackUnisonDiff,
    kSlotAttackUnisonAmp, kSlotVibFreq, kSlotVibDev, kSlotToneWaveMix, kSlotAttackWaveMix,
    kSlotNoiseMix, kSlotAttackFreqMult, kSlotToneAmpMax, kSlotToneAmpDecay, kSlotToneAmpMin,
    kSlotAttackAmpMax, kSlotAttackAmpDecay, kSlotAttackAmpMin, kSlotToneLpMax, kSlotToneLpRes,
    kSlotToneLpDecay, kSlotToneLpMin, kSlotAttackLpMax, kSlotAttackLpRes, kSlotAttackLpDecay,
    kSlotAttackLpMin, kSlotAttack, kSlotDecay, kSlotSustain, kSlotRelease, kSlotDelay1,
    kSlotFeedback1, kSlotDelay2, kSlotFeedback2, kSlotReverbOn, kSlotReverbTime, kSlotReverbWet,
    kSlotReverbDry, kSlotXDelayOn, kSlotXdLengthL, kSlotXdFbL, kSlotXdLengthR, kSlotXdFbR,
    kSlotXdMix, kSlotXdTempoSync, kSlotDistOn, kSlotDistDry, kSlotDistWet, kSlotPanning,
    kSlotVolumeMajor, kSlotVolumeMinor, kSlotVoiceLimit, kSlotAftertouchOn, kSlotAUnderAdsr,
    kSlotMidiLearn,
    kFirstAssignmentSlot = 55,
};
// clang-format on

// A controller assignment is kept 53 slots after its parameter's value,
// except those of the two playing switches, which close the record.
inline constexpr int kAssignmentSlotOffset = 53;
inline constexpr int kSlotXdFbRAssignment = kSlotXdFbR + kAssignmentSlotOffset;  // carried, never applied
inline constexpr int kSlotAftertouchOnAssignment = 104;
inline constexpr int kSlotAUnderAdsrAssignment = 105;

constexpr int assignmentSlot(int valueSlot) {
    if (valueSlot == kSlotAftertouchOn) return kSlotAftertouchOnAssignment;
    if (valueSlot == kSlotAUnderAdsr) return kSlotAUnderAdsrAssignment;
    return valueSlot + kAssignmentSlotOffset;
}

struct Program {
    float values[kSlotCount];
    char name[kProgramNameSize];
};

// The neutral sound every program starts as, named "init".
void initProgram(Program& program);

// Copies text into the name, cut to 23 characters; null text gives "".
void setProgramName(Program& program, const char* text);

}  // namespace velora
