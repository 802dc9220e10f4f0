// SPDX-License-Identifier: MIT
#include "lv2/urids.h"

#include <cstdio>

#include "lv2/atom/atom.h"
#include "lv2/midi/midi.h"
#include "lv2/notify_messages.h"
#include "lv2/patch/patch.h"
#include "lv2/time/time.h"
#include "lv2/units/units.h"
#include "shell/parameter_table.h"

namespace velora::lv2 {

std::string assignmentKeyUri(std::uint32_t row) {
    return std::string(kVeloraPrefix) + "cc_" + kControlPorts[row].symbol;
}

std::string programNameKeyUri(int program) {
    char number[8];
    std::snprintf(number, sizeof number, "%02d", program);
    return std::string(kVeloraPrefix) + "program_name_" + number;
}

bool Urids::map(const LV2_URID_Map& host) {
    bool complete = true;
    auto get = [&](const std::string& uri) {
        const LV2_URID id = host.map(host.handle, uri.c_str());
        complete = complete && id != 0;
        return id;
    };
    atomSequence = get(LV2_ATOM__Sequence);
    atomObject = get(LV2_ATOM__Object);
    atomBlank = get(LV2_ATOM__Blank);
    atomFloat = get(LV2_ATOM__Float);
    atomDouble = get(LV2_ATOM__Double);
    atomInt = get(LV2_ATOM__Int);
    atomLong = get(LV2_ATOM__Long);
    atomBool = get(LV2_ATOM__Bool);
    atomString = get(LV2_ATOM__String);
    atomUrid = get(LV2_ATOM__URID);
    midiEvent = get(LV2_MIDI__MidiEvent);
    unitsBeat = get(LV2_UNITS__beat);
    timePosition = get(LV2_TIME__Position);
    timeBeatsPerMinute = get(LV2_TIME__beatsPerMinute);
    patchSet = get(LV2_PATCH__Set);
    patchGet = get(LV2_PATCH__Get);
    patchProperty = get(LV2_PATCH__property);
    patchValue = get(LV2_PATCH__value);
    learnState = get(kLearnStateUri);
    learning = get(kLearningUri);
    learnTarget = get(kLearnTargetUri);
    display = get(kDisplayUri);
    for (std::uint32_t row = 0; row < kControlPortCount; ++row) {
        parameter[row] = get(parameterUri(kControlPorts[row].symbol));
        if (assignmentOf(kControlPorts[row].param) >= 0) assignmentKey[row] = get(assignmentKeyUri(row));
    }
    for (int program = 0; program < kProgramCount; ++program) programNameKey[program] = get(programNameKeyUri(program));
    return complete;
}

}  // namespace velora::lv2
