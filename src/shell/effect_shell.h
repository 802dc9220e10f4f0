// SPDX-License-Identifier: MIT
#pragma once
// The host-facing base layer of a plug-in instance: it embeds the AEffect
// record handed to the host, maps every dispatcher opcode onto a virtual
// operation with a fixed default, and wraps the host's callback.
#include <memory>

#include "core/log.h"
#include "core/relaxed.h"
#include "shell/plugin_version.h"
#include "vst/aeffect.h"

namespace velora::editor {
class SynthEditor;
}

namespace velora {

class EffectShell {
public:
    EffectShell(vst::audioMasterCallback host, int programCount, int paramCount);
    virtual ~EffectShell();
    EffectShell(const EffectShell&) = delete;
    EffectShell& operator=(const EffectShell&) = delete;

    vst::AEffect* effect() { return &effect_; }
    static EffectShell* fromEffect(vst::AEffect* effect);

    // Core operations.
    virtual void setParameter(vst::VstInt32 index, float value);
    virtual float getParameter(vst::VstInt32 index);
    void setParameterAutomated(vst::VstInt32 index, float value);
    virtual void process(float** inputs, float** outputs, vst::VstInt32 frames);
    virtual void processReplacing(float** inputs, float** outputs, vst::VstInt32 frames);
    virtual vst::VstIntPtr dispatcher(vst::VstInt32 opcode, vst::VstInt32 index, vst::VstIntPtr value, void* ptr,
                                      float opt);
    virtual void open() {}
    virtual void close() {}
    virtual vst::VstInt32 getProgram() { return curProgram_; }
    virtual void setProgram(vst::VstInt32 program) { curProgram_ = program; }
    virtual void setProgramName(const char*) {}
    virtual void getProgramName(char* name);
    virtual void getParameterLabel(vst::VstInt32 index, char* text);
    virtual void getParameterDisplay(vst::VstInt32 index, char* text);
    virtual void getParameterName(vst::VstInt32 index, char* text);
    virtual void setSampleRate(float rate) { storeSampleRate(rate); }
    virtual void setBlockSize(vst::VstInt32 size) { blockSize_ = size; }
    // Stores both without recomputing; later parameter changes see the rate.
    virtual void setBlockSizeAndSampleRate(vst::VstInt32 size, float rate) {
        blockSize_ = size;
        storeSampleRate(rate);
    }
    virtual void suspend() {}
    virtual void resume() {}

    // Extended operations.
    virtual vst::VstInt32 processEvents(vst::VstEvents*) { return 0; }
    virtual bool string2parameter(vst::VstInt32, char*) { return false; }
    virtual bool getProgramNameIndexed(vst::VstInt32 category, vst::VstInt32 index, char* text);
    virtual bool copyProgram(vst::VstInt32) { return false; }
    virtual bool getOutputProperties(vst::VstInt32, vst::VstPinProperties*) { return false; }
    virtual vst::VstInt32 getPlugCategory() { return vst::kPlugCategUnknown; }
    virtual bool getEffectName(char*) { return false; }
    virtual bool getVendorString(char*) { return false; }
    virtual bool getProductString(char*) { return false; }
    virtual vst::VstInt32 getVendorVersion() { return kPluginVersion; }
    virtual vst::VstInt32 canDo(const char*) { return 0; }

    // Calls to the host; each answers 0 or false without a host callback.
    vst::VstIntPtr hostVersion();
    bool canHostDo(const char* text);
    void wantEvents();
    vst::VstTimeInfo* getTimeInfo(vst::VstInt32 mask);
    bool beginEdit(vst::VstInt32 index);
    bool endEdit(vst::VstInt32 index);
    void hostIdle();
    // Asks the host for an editor window of this size; false when it cannot.
    bool sizeWindow(int width, int height);
    void ioChanged();  // the latency (initialDelay) changed

    // The editor, owned here; null when none could be made.
    editor::SynthEditor* getEditor() const { return editor_.get(); }

    float sampleRate() const { return sampleRate_; }
    vst::VstInt32 blockSize() const { return blockSize_; }
    bool hasHost() const { return host_ != nullptr; }

    // This instance's number in the log, and what its audio thread met.
    int instanceNumber() const { return instance_; }
    log::AudioIncidents& incidents() { return incidents_; }

protected:
    vst::VstIntPtr callHost(vst::VstInt32 opcode, vst::VstInt32 index = 0, vst::VstIntPtr value = 0,
                            void* ptr = nullptr, float opt = 0.0f);

    // Identity setters used by the derived instance.
    void setUniqueID(vst::VstInt32 id) { effect_.uniqueID = id; }
    void setNumInputs(vst::VstInt32 n) { effect_.numInputs = n; }
    void setNumOutputs(vst::VstInt32 n) { effect_.numOutputs = n; }
    void setFlag(vst::VstInt32 flag, bool on);
    void setInitialDelay(vst::VstInt32 samples) { effect_.initialDelay = samples; }
    vst::VstInt32 initialDelay() const { return effect_.initialDelay; }
    // Keeps only usable rates: finite and above 0.
    void storeSampleRate(float rate);
    // Takes the editor over and announces it to the host (has-editor flag).
    void setEditor(std::unique_ptr<editor::SynthEditor> editor);

    float sampleRate_ = 44100.0f;
    vst::VstInt32 blockSize_ = 1024;
    Relaxed<vst::VstInt32> curProgram_{0};  // also read by MIDI handling on the audio thread
    int programCount_;
    int paramCount_;

private:
    vst::VstIntPtr dispatchExtended(vst::VstInt32 opcode, vst::VstInt32 index, vst::VstIntPtr value, void* ptr,
                                    float opt);
    vst::VstIntPtr editorKey(bool down, vst::VstInt32 index, vst::VstIntPtr value, float opt);

    vst::audioMasterCallback host_;
    const int instance_ = log::nextInstanceNumber();
    log::AudioIncidents incidents_;
    vst::AEffect effect_;
    std::unique_ptr<editor::SynthEditor> editor_;
};

}  // namespace velora
