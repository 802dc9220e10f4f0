// SPDX-License-Identifier: MIT
#include "midi/midi_handler.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velora {
namespace {

// Records what the handler asks of the synthesizer.
class FakeSynth final : public MidiReceiver {
public:
    std::vector<std::string> calls;
    bool sounding[128] = {};
    bool aftertouch = false;

    void noteOn(int key, int velocity) override {
        log("on", key, velocity);
        sounding[key] = true;
    }
    void noteOff(int key) override { log("off", key); }
    bool keySounding(int key) const override { return sounding[key]; }
    float levelBase(int key) const override { return static_cast<float>(key); }
    bool aftertouchOn() const override { return aftertouch; }
    void startLevelRamp(int key, float target) override { log("ramp", key, static_cast<int>(target)); }
    void sustainController(int value) override { log("pedal", value); }
    void silenceAll() override { log("silence"); }
    void pitchBend(int msb) override { log("bend", msb); }
    void setParameter(int index, float value) override {
        std::string s = "set ";
        s += std::to_string(index);
        s += ' ';
        s += std::to_string(value);
        calls.push_back(s);
    }
    void releaseController(int controller) override { log("release", controller); }
    void programChange(int index) override { log("program", index); }
    bool hasAssignment(int index) const override { return index == 78; }

private:
    void log(const char* what, int a = -1, int b = -1) {
        std::string s = what;
        for (int n : {a, b}) {
            if (n < 0) continue;
            s += ' ';
            s += std::to_string(n);
        }
        calls.push_back(s);
    }
};

MidiEventRecord message(int status, int data1, int data2) {
    MidiEventRecord e{};
    e.type = 1;
    e.midiData[0] = static_cast<std::uint8_t>(status);
    e.midiData[1] = static_cast<std::uint8_t>(data1);
    e.midiData[2] = static_cast<std::uint8_t>(data2);
    return e;
}

using Calls = std::vector<std::string>;

TEST(MidiHandler, NotesOnEveryChannelAndVelocityZeroAsNoteOff) {
    FakeSynth synth;
    MidiLearn learn;
    handleMidi(message(0x9F, 60, 100), learn, synth);
    handleMidi(message(0x93, 60, 0), learn, synth);
    handleMidi(message(0x90, 61, 0), learn, synth);  // silent key: nothing
    handleMidi(message(0x85, 60, 10), learn, synth);
    handleMidi(message(0x80, 62, 10), learn, synth);  // silent key: nothing
    EXPECT_EQ(synth.calls, (Calls{"on 60 100", "off 60", "off 60"}));
}

TEST(MidiHandler, DataBytesAboveSevenBitsAreMasked) {
    FakeSynth synth;
    MidiLearn learn;
    handleMidi(message(0x90, 0xFF, 0xE4), learn, synth);
    EXPECT_EQ(synth.calls, (Calls{"on 127 100"}));
}

TEST(MidiHandler, AftertouchOnlyWhileSwitchedOnAndChannelPressureOnlyOnSoundingKeys) {
    FakeSynth synth;
    MidiLearn learn;
    handleMidi(message(0xA0, 60, 40), learn, synth);
    handleMidi(message(0xD0, 40, 0), learn, synth);
    EXPECT_TRUE(synth.calls.empty());
    synth.aftertouch = true;
    synth.sounding[10] = synth.sounding[20] = true;
    handleMidi(message(0xA0, 60, 40), learn, synth);  // the key need not sound
    handleMidi(message(0xD0, 40, 0), learn, synth);
    EXPECT_EQ(synth.calls, (Calls{"ramp 60 100", "ramp 10 50", "ramp 20 60"}));
}

TEST(MidiHandler, ModeControllersPedalProgramAndBend) {
    FakeSynth synth;
    MidiLearn learn;
    handleMidi(message(0xB2, 123, 0), learn, synth);
    handleMidi(message(0xB0, 126, 0), learn, synth);
    handleMidi(message(0xB0, 64, 64), learn, synth);
    handleMidi(message(0xC5, 3, 0), learn, synth);
    handleMidi(message(0xE0, 0x7F, 64), learn, synth);  // only the high byte counts
    handleMidi(message(0xF0, 1, 2), learn, synth);      // system messages are ignored
    EXPECT_EQ(synth.calls, (Calls{"silence", "silence", "pedal 64", "program 3", "bend 64"}));
}

TEST(MidiHandler, MappedControllersSetTheirParameter) {
    FakeSynth synth;
    MidiLearn learn;
    handleMidi(message(0xB0, 20, 127), learn, synth);  // unbound: nothing
    learn.bind(20, 78);
    handleMidi(message(0xB0, 20, 127), learn, synth);
    EXPECT_EQ(synth.calls, (Calls{"set 78 1.000000"}));
}

TEST(MidiHandler, LearnBindsTheTouchedParameterAndEnds) {
    FakeSynth synth;
    MidiLearn learn;
    learn.bind(20, 5);
    learn.setArmed(true);
    learn.touch(78);
    handleMidi(message(0xB0, 20, 99), learn, synth);
    EXPECT_EQ(learn.mapped(20), kNoParam);  // the old binding is gone; setParameter rebinds
    EXPECT_EQ(synth.calls, (Calls{"release 20", "set 79 0.156250", "set 98 0.000000"}));
}

TEST(MidiHandler, LearnWithoutAnAssignableTargetOnlyUnbindsAndEnds) {
    for (int target : {kNoParam, 107, 106, 79}) {
        FakeSynth synth;
        MidiLearn learn;
        learn.bind(21, 0);
        learn.setArmed(true);
        if (target != kNoParam) learn.touch(target);
        handleMidi(message(0xB0, 21, 1), learn, synth);
        EXPECT_EQ(learn.mapped(21), kNoParam);
        EXPECT_EQ(synth.calls, (Calls{"release 21", "set 98 0.000000"})) << target;
    }
}

}  // namespace
}  // namespace velora
