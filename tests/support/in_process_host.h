// SPDX-License-Identifier: MIT
#pragma once
// For tests that drive an instance in their own process (threads, soak): a
// host callback that offers a fixed tempo, and a small repeatable random
// source.
#include <cstdint>

#include "vst/aeffect.h"

namespace velora::test {

// Answers the version query, says yes to "sendVstTimeInfo" and reports 120
// BPM. The time record is written once, so any thread may read it.
inline vst::VstIntPtr inProcessHost(vst::AEffect*, vst::VstInt32 opcode, vst::VstInt32, vst::VstIntPtr, void*, float) {
    static const vst::VstTimeInfo time = [] {
        vst::VstTimeInfo t{};
        t.tempo = 120.0;
        t.flags = vst::kVstTempoValid;
        return t;
    }();
    switch (opcode) {
    case vst::audioMasterVersion: return 2400;
    case vst::audioMasterCanDo: return 1;
    case vst::audioMasterGetTime: return reinterpret_cast<vst::VstIntPtr>(const_cast<vst::VstTimeInfo*>(&time));
    default: return 0;
    }
}

// A linear congruential generator: the same sequence on every platform.
struct Random {
    std::uint32_t state;
    std::uint32_t next() { return state = state * 1664525u + 1013904223u; }
    int below(int n) { return static_cast<int>((next() >> 8) % static_cast<std::uint32_t>(n)); }
    float unit() { return static_cast<float>(next() >> 8) / 16777216.0f; }
};

}  // namespace velora::test
