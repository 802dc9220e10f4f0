// SPDX-License-Identifier: MIT
#pragma once
// The plug-in instance: adapts the host's requests to the engine, the effect
// chain, the program bank and the MIDI input.
#include <memory>

#include "core/relaxed.h"
#include "effects/effect_chain.h"
#include "effects/rate_converter.h"
#include "engine/synth_engine.h"
#include "midi/midi_event_queue.h"
#include "midi/midi_handler.h"
#include "midi/midi_learn.h"
#include "programs/program.h"
#include "shell/editor_bridge.h"
#include "shell/effect_shell.h"
#include "shell/parameter_table.h"

namespace velora {

class SynthEffect final : public EffectShell,
                          private engine::RenderHooks,
                          private MidiReceiver,
                          private effects::RateSource {
public:
    explicit SynthEffect(vst::audioMasterCallback host);
    ~SynthEffect() override;

    // Parameters.
    void setParameter(vst::VstInt32 index, float value) override;
    float getParameter(vst::VstInt32 index) override;
    void getParameterName(vst::VstInt32 index, char* text) override;
    void getParameterLabel(vst::VstInt32 index, char* text) override;
    void getParameterDisplay(vst::VstInt32 index, char* text) override;
    bool string2parameter(vst::VstInt32 index, char* text) override;

    // Programs.
    void setProgram(vst::VstInt32 index) override;
    void setProgramName(const char* text) override;
    void getProgramName(char* text) override;
    bool getProgramNameIndexed(vst::VstInt32 category, vst::VstInt32 index, char* text) override;
    bool copyProgram(vst::VstInt32 destination) override;
    // Names any program of the bank without selecting it; false when there is none.
    bool setProgramNameIndexed(vst::VstInt32 index, const char* text);

    // Lifecycle and audio.
    void open() override;
    void setSampleRate(float rate) override;
    void setBlockSizeAndSampleRate(vst::VstInt32 size, float rate) override;
    void suspend() override;
    void resume() override;
    void process(float** inputs, float** outputs, vst::VstInt32 frames) override;
    void processReplacing(float** inputs, float** outputs, vst::VstInt32 frames) override;
    vst::VstInt32 processEvents(vst::VstEvents* events) override;

    // Identity.
    bool getOutputProperties(vst::VstInt32 index, vst::VstPinProperties* properties) override;
    vst::VstInt32 getPlugCategory() override { return vst::kPlugCategSynth; }
    bool getEffectName(char* text) override;
    bool getVendorString(char* text) override;
    bool getProductString(char* text) override;
    vst::VstInt32 canDo(const char* text) override;

    // MIDI learn state, for the status display.
    bool isLearning() const { return learn_.isLearning(); }
    int getLearnTarget() const { return learn_.getLearnTarget(); }

    const engine::SynthEngine& engine() const { return engine_; }
    const effects::EffectChain& effects() const { return effects_; }
    const effects::RateConverter& rateConverter() const { return converter_; }

private:
    // Render hooks.
    int dispatchDueEvents(int limit) override;
    void tempoCheck() override;
    void processOutput(float mixL, float mixR, float& outL, float& outR) override;

    // Rate source: the engine at its own rate, for the converter.
    void renderEngine(float* left, float* right, int count) override;

    // MIDI receiver.
    void noteOn(int key, int velocity) override { engine_.noteOn(key, velocity); }
    void noteOff(int key) override { engine_.noteOff(key); }
    bool keySounding(int key) const override { return engine_.keySounding(key); }
    float levelBase(int key) const override { return engine_.levelBase(key); }
    bool aftertouchOn() const override { return engine_.aftertouchOn(); }
    void startLevelRamp(int key, float target) override { engine_.startLevelRamp(key, target); }
    void sustainController(int value) override { engine_.sustainController(value); }
    void silenceAll() override { engine_.silenceAll(); }
    void pitchBend(int msb) override { engine_.pitchBend(msb); }
    void programChange(int index) override;
    void releaseController(int controller) override;
    bool hasAssignment(int index) const override { return assignmentOf(index) >= 0; }

    float storedValue(const ParamInfo& info, float value);
    void store(const ParamInfo& info, vst::VstInt32 index, float value);
    void applyAction(const ParamInfo& info, float value);
    void formatDisplay(vst::VstInt32 index, char* text);
    void applyProgram(vst::VstInt32 index);
    void rebuildControllerMap();
    void stopSound();
    bool takePendingStop();
    bool pollTempo();
    void render(float** outputs, vst::VstInt32 frames);
    void applyHostRate(bool tellHost);
    void askHostForTime();
    void takeConverterReset();

    engine::SynthEngine engine_;
    effects::EffectChain effects_;
    effects::RateConverter converter_;
    std::unique_ptr<Program[]> bank_;
    Relaxed<float> mirror_[kParamCount];
    MidiEventQueue events_;
    MidiLearn learn_;
    // Between resume and suspend the audio thread may be inside a block, so a
    // program selected from another thread leaves the voice reset to it.
    Relaxed<bool> running_{false};
    Relaxed<bool> stopPending_{false};
    Relaxed<bool> converterResetPending_{false};
    Relaxed<bool> hostSendsTime_{false};  // the host's "sendVstTimeInfo" answer
    EditorBridge editorBridge_{*this};
};

}  // namespace velora
