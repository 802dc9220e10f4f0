// SPDX-License-Identifier: MIT
#pragma once
// The URIs the plug-in reads and writes, mapped once when it is made.
#include <cstdint>
#include <string>

#include "lv2/port_table.h"
#include "lv2/urid/urid.h"
#include "programs/program.h"

namespace velora::lv2 {

struct Urids {
    LV2_URID atomSequence = 0, atomObject = 0, atomBlank = 0, atomFloat = 0, atomDouble = 0, atomInt = 0, atomLong = 0,
             atomBool = 0, atomString = 0, atomUrid = 0;
    LV2_URID midiEvent = 0;
    LV2_URID unitsBeat = 0, timePosition = 0, timeBeatsPerMinute = 0;
    LV2_URID patchSet = 0, patchGet = 0, patchProperty = 0, patchValue = 0;
    LV2_URID learnState = 0, learning = 0, learnTarget = 0, display = 0;
    // One per control port row: the patch:property naming it.
    LV2_URID parameter[kControlPortCount] = {};
    // State keys: a port row's controller assignment (0 when it has none),
    // and every program's name.
    LV2_URID assignmentKey[kControlPortCount] = {};
    LV2_URID programNameKey[kProgramCount] = {};

    // False when the host's map gave 0 for any of them.
    bool map(const LV2_URID_Map& map);
};

// The state key of a port row's assignment: "urn:velora:synth#cc_" + symbol.
std::string assignmentKeyUri(std::uint32_t row);
// The state key of a program's name: "urn:velora:synth#program_name_" + 00..63.
std::string programNameKeyUri(int program);

}  // namespace velora::lv2
