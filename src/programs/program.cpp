// SPDX-License-Identifier: MIT
#include "programs/program.h"

#include <cstring>

#include "core/numeric.h"

namespace velora {

namespace {

// Initial values of the sound slots 0..54, in slot order.
// clang-format off
constexpr float kInitValues[kFirstAssignmentSlot] = {
    1.0f, 1.0f,                    // Tone On, Attack On
    0.0f, 0.0f, 0.0f, 0.0f,        // unison diff/amp, Tone and Attack
    0.0f, 0.0f,                    // vibrato frequency and depth
    1.0f, 1.0f, 0.0f, 0.0f,        // wave mixes, noise, frequency ratio
    1.0f, 0.2f, 0.0f,              // Tone amp max, decay, min
    1.0f, 0.8f, 0.0f,              // Attack amp max, decay, min
    1.0f, 0.2f, 0.2f, 0.0f,        // Tone LP max, res, decay, min
    1.0f, 0.3f, 0.9f, 0.0f,        // Attack LP max, res, decay, min
    0.0f, 0.1f, 0.8f, 0.2f,        // attack, decay, sustain, release
    0.0f, 0.0f, 0.0f, 0.0f,        // delays and feedbacks
    0.0f, 0.1f, 0.1f, 1.0f,        // reverb on, time, wet, dry
    0.0f, 0.5f, 0.5f, 0.5f, 0.5f,  // cross delay on, length L, fb L, length R, fb R
    0.5f, 1.0f,                    // cross delay mix, tempo sync
    0.0f, 0.5f, 0.5f,              // distortion on, dry, wet
    0.5f, 0.5f, 1.0f,              // panning, volume major, volume minor
    floatFromBits(0x3D810204u),    // voice limit: just below 8/127
    0.0f, 0.0f, 0.0f,              // aftertouch, A under ADSR, MIDI learn
};
// clang-format on

}  // namespace

void initProgram(Program& program) {
    for (int slot = 0; slot < kSlotCount; ++slot)
        program.values[slot] = slot < kFirstAssignmentSlot ? kInitValues[slot] : 1.0f;
    setProgramName(program, "init");
}

void setProgramName(Program& program, const char* text) {
    std::memset(program.name, 0, kProgramNameSize);
    if (text == nullptr) return;
    std::size_t length = 0;
    while (length < kProgramNameSize - 1 && text[length] != '\0') ++length;
    std::memcpy(program.name, text, length);
}

}  // namespace velora
