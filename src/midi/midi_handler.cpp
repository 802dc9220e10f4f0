// SPDX-License-Identifier: MIT
#include "midi/midi_handler.h"

#include "core/midi_scale.h"

namespace velora {

namespace {

constexpr int kAllNotesOff = 123;
constexpr int kMonoModeOn = 126;
constexpr int kSustainPedal = 64;

void handleController(int controller, int value, MidiLearn& learn, MidiReceiver& synth) {
    if (controller == kAllNotesOff || controller == kMonoModeOn) {
        synth.silenceAll();
        return;
    }
    if (controller == kSustainPedal) {
        synth.sustainController(value);
        return;
    }
    if (learn.isLearning()) {
        learn.bind(controller, kNoParam);
        // Only a parameter with an assignment slot after it can be bound;
        // anything else would write the controller number into a neighbour.
        const int target = learn.getLearnTarget();
        synth.releaseController(controller);  // one controller drives one parameter
        if (target != kNoParam && synth.hasAssignment(target))
            synth.setParameter(assignmentParam(static_cast<ParamId>(target)),
                               static_cast<float>(controller) * kPerMidiNumber);
        synth.setParameter(kParamMidiLearn, 0.0f);
        return;
    }
    const int parameter = learn.mapped(controller);
    if (parameter != kNoParam) synth.setParameter(parameter, static_cast<float>(value) * kPerMidiValue);
}

void channelPressure(int pressure, MidiReceiver& synth) {
    for (int key = 0; key < 128; ++key)
        if (synth.keySounding(key)) synth.startLevelRamp(key, synth.levelBase(key) + static_cast<float>(pressure));
}

}  // namespace

void handleMidi(const MidiEventRecord& event, MidiLearn& learn, MidiReceiver& synth) {
    const int status = event.midiData[0] & 0xF0;
    const int data1 = event.midiData[1] & 0x7F;  // bytes above 127 from a careless host
    const int data2 = event.midiData[2] & 0x7F;
    switch (status) {
    case 0x80:
        if (synth.keySounding(data1)) synth.noteOff(data1);
        break;
    case 0x90:
        if (data2 > 0)
            synth.noteOn(data1, data2);
        else if (synth.keySounding(data1))
            synth.noteOff(data1);
        break;
    case 0xA0:
        if (synth.aftertouchOn()) synth.startLevelRamp(data1, synth.levelBase(data1) + static_cast<float>(data2));
        break;
    case 0xB0: handleController(data1, data2, learn, synth); break;
    case 0xC0: synth.programChange(data1); break;
    case 0xD0:
        if (synth.aftertouchOn()) channelPressure(data1, synth);
        break;
    case 0xE0: synth.pitchBend(data2); break;
    default: break;
    }
}

}  // namespace velora
