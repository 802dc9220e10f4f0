// SPDX-License-Identifier: MIT
#pragma once
// The 109 host parameters as data: one row per index with its name, label,
// display rule, program slot, kind and the engine value it drives.
#include <cstdint>

#include "core/param_id.h"

namespace velora {

enum class ParamKind : std::uint8_t {
    Sound,       // visible name, stored, has an action
    VoiceLimit,  // hidden, stored, sets the polyphony limit
    Assignment,  // hidden, stored, binds a MIDI controller to its owner
    Inert,       // nothing stored, reads as 0
};

enum class DisplayRule : std::uint8_t {
    None,         // empty text
    Value,        // the value
    FreqRatio,    // 1 + 3 v
    VibratoHz,    // 19.99 v + 0.01
    Decibels,     // decibels of v
    DistWet,      // 2 v - 1
    ReverbTime,   // the reverb time in seconds
    MasterGain,   // decibels of the master gain
    DelayLength,  // division label while tempo-synced, else the value
    VoiceCount,   // 127 v
};

// What setting the parameter does beyond storing it.
enum class ActionKind : std::uint8_t { None, Engine, Effect, MidiLearn };

// How the stored value differs from the value set.
enum class StoreRule : std::uint8_t {
    Raw,        // stored as given
    Switch,     // exactly 0 or 1
    FlushTiny,  // 0 when |v| < 1e-24
    TempoSync,  // 1 only when the host supplies its tempo
};

struct ParamInfo {
    const char* name;
    const char* label;
    ParamKind kind;
    DisplayRule display;
    std::int8_t slot;   // program slot, -1 when nothing is stored
    std::int8_t owner;  // for an assignment: the parameter it binds; else -1
    ActionKind action;
    std::int8_t target;  // engine::VoiceParam or effects::EffectParam
    StoreRule store;
};

// Row for any index; indexes outside 0..108 get an inert row named "(hidden)".
const ParamInfo& paramInfo(std::int32_t index);

// The assignment parameter of a sound parameter, or -1 when it has none.
int assignmentOf(int index);

}  // namespace velora
