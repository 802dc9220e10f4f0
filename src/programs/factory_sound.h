// SPDX-License-Identifier: MIT
#pragma once
// One factory sound as a sound designer reads it: the parameters grouped by
// the part of the synthesizer they shape. writeFactoryProgram turns it into
// the slot layout of a Program.
#include "programs/program.h"

namespace velora::factory {

struct ToneLayer {
    float waveMix, unisonDiff, unisonAmp;
    float ampMax, ampDecay, ampMin;
    float lpMax, lpMin, lpDecay, lpRes;
};

// The Attack layer also carries the noise, the frequency ratio and the
// vibrato; underAdsr makes the main envelope shape it too.
struct AttackLayer {
    float waveMix, freqMult, noise, unisonDiff, unisonAmp;
    float vibFreq, vibDev;
    float ampMax, ampDecay, ampMin;
    float lpMax, lpMin, lpDecay, lpRes;
    float underAdsr;
};

struct Envelope {
    float attack, decay, sustain, release;
};

struct Resonator {
    float delay1, feedback1, delay2, feedback2;
};

struct CrossDelay {
    float on, tempoSync, lengthL, lengthR, feedback, mix;
};

struct Reverb {
    float on, time, wet, dry;
};

struct Distortion {
    float on, dry, wet;
};

struct Output {
    float panning, volumeMajor, volumeMinor, voiceLimit, aftertouchOn;
};

// A controller bound to a parameter, named by the parameter's value slot.
// The stored assignment is controller / 128; entries left at slot -1 are unused.
struct Binding {
    int parameter = -1;
    float assignment = 1.0f;
};

inline constexpr int kMaxBindings = 18;

struct Sound {
    const char* name;
    ToneLayer tone;
    AttackLayer attack;
    Envelope envelope;
    Resonator resonator;
    CrossDelay crossDelay;
    Reverb reverb;
    Distortion distortion;
    Output output;
    Binding bindings[kMaxBindings] = {};
};

// Assignment values of the controllers the bank uses.
inline constexpr float kModWheel = 0.0078125f;      // controller 1
inline constexpr float kController126 = 0.984375f;  // controller 126

// Voice-limit values: trunc(127 x value) voices, a hair above n / 127.
inline constexpr float kVoices1 = 0.0078748f;
inline constexpr float kVoices4 = 0.0314969f;
inline constexpr float kVoices6 = 0.0472449f;
inline constexpr float kVoices7 = 0.0551189f;
inline constexpr float kVoices8 = 0.0629929f;
inline constexpr float kVoices9 = 0.0708669f;
inline constexpr float kVoices12 = 0.094489f;

}  // namespace velora::factory
