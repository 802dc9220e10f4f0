// SPDX-License-Identifier: MIT
#pragma once
// Turns one due MIDI message into actions on the synthesizer. All channels
// are treated alike.
#include "midi/midi_event_queue.h"
#include "midi/midi_learn.h"

namespace velora {

// What the handler drives; the plug-in instance implements it.
class MidiReceiver {
public:
    virtual void noteOn(int key, int velocity) = 0;
    virtual void noteOff(int key) = 0;
    virtual bool keySounding(int key) const = 0;
    virtual float levelBase(int key) const = 0;
    virtual bool aftertouchOn() const = 0;
    virtual void startLevelRamp(int key, float target) = 0;
    virtual void sustainController(int value) = 0;
    virtual void silenceAll() = 0;
    virtual void pitchBend(int msb) = 0;
    virtual void setParameter(int index, float value) = 0;
    // Clears every assignment that names the controller, before it is learned
    // for another parameter.
    virtual void releaseController(int controller) = 0;
    virtual void programChange(int index) = 0;  // at the message's sample, on the audio thread
    // Whether the parameter has an assignment parameter right after it.
    virtual bool hasAssignment(int index) const = 0;

protected:
    ~MidiReceiver() = default;
};

void handleMidi(const MidiEventRecord& event, MidiLearn& learn, MidiReceiver& synth);

}  // namespace velora
