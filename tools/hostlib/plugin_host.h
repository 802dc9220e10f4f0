// SPDX-License-Identifier: MIT
#pragma once
// A minimal VST 2 host: loads a plug-in module, answers its audioMaster
// calls and drives it through the AEffect record. Used by velora-host and by
// the interface-level tests.
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "vst/aeffect.h"

namespace velora::host {

// One call the plug-in made to the host; `text` holds the canDo string.
struct HostCall {
    vst::VstInt32 opcode = 0;
    vst::VstInt32 index = 0;
    vst::VstIntPtr value = 0;
    float opt = 0.0f;
    std::string text;
};

struct HostOptions {
    vst::VstIntPtr hostVersion = 2400;  // answer to audioMasterVersion
    vst::VstIntPtr canDoTimeInfo = 1;   // answer to canDo "sendVstTimeInfo": 1, 0 or -1
    bool provideTimeInfo = true;        // false: audioMasterGetTime answers null
    // false: calls are not kept (a long session with an audio thread)
    bool recordCalls = true;
    // Told of every call, on the thread that made it (audio or GUI).
    std::function<void(const HostCall&)> listener;
    // Resizes the editor's window (audioMasterSizeWindow); without it the
    // host answers canDo "sizeWindow" with 0. True when it was resized.
    std::function<bool(int width, int height)> sizeWindow;
};

// What audioMasterGetTime reports.
struct HostTime {
    double samplePos = 0.0;
    double sampleRate = 44100.0;
    double ppqPos = 0.0;
    double tempo = 120.0;
    vst::VstInt32 flags = vst::kVstTransportPlaying | vst::kVstPpqPosValid | vst::kVstTempoValid;
};

// A MIDI message to deliver `deltaFrames` samples into the next block.
struct MidiMessage {
    vst::VstInt32 deltaFrames = 0;
    std::uint8_t bytes[3] = {0, 0, 0};
};

class PluginModule;

class PluginInstance {
public:
    // Loads the module at `path` and creates one instance: VSTPluginMain is
    // preferred, `main` is the fallback. On failure returns null and sets
    // `error` (missing file, no entry point, null or invalid AEffect).
    static std::unique_ptr<PluginInstance> load(const std::string& path, std::string& error,
                                                const HostOptions& options = {});

    PluginInstance(const PluginInstance&) = delete;
    PluginInstance& operator=(const PluginInstance&) = delete;
    ~PluginInstance();  // effClose unless already closed, then the module is released

    // Null once effClose has been sent; every call after that does nothing.
    vst::AEffect* effect() const { return effect_; }

    // effClose through here ends the instance exactly as close() does.
    vst::VstIntPtr dispatch(vst::VstInt32 opcode, vst::VstInt32 index = 0, vst::VstIntPtr value = 0,
                            void* ptr = nullptr, float opt = 0.0f);
    void setParameter(vst::VstInt32 index, float value);
    float getParameter(vst::VstInt32 index);
    std::string parameterName(vst::VstInt32 index);
    std::string parameterLabel(vst::VstInt32 index);
    std::string parameterDisplay(vst::VstInt32 index);
    // Through effGetProgramNameIndexed; empty when the plug-in refuses.
    std::string programName(vst::VstInt32 index);
    // A text query of any opcode that writes a string into ptr.
    std::string textQuery(vst::VstInt32 opcode, vst::VstInt32 index = 0);
    vst::VstIntPtr canDo(const std::string& text);

    void open();
    void close();
    void setSampleRate(float rate);
    void setBlockSize(vst::VstInt32 frames);
    void resume();
    void suspend();
    void setProgram(vst::VstInt32 program);
    // One effProcessEvents call with a VstEvents block of VstMidiEvents; the
    // block stays valid until the next call.
    vst::VstIntPtr sendMidi(const std::vector<MidiMessage>& messages);
    // Renders into two channels; further outputs of the plug-in are discarded.
    void processReplacing(float* left, float* right, vst::VstInt32 frames);

    // Host side state reported through audioMasterGetTime.
    void setHostTime(const HostTime& time) { time_ = time; }
    const HostTime& hostTime() const { return time_; }
    void setTimeInfoAvailable(bool available) { options_.provideTimeInfo = available; }
    void setCanDoTimeInfo(vst::VstIntPtr answer) { options_.canDoTimeInfo = answer; }

    // Every host call received since creation (or the last clearHostCalls).
    // Read them while no other thread drives the plug-in.
    const std::vector<HostCall>& hostCalls() const { return calls_; }
    std::size_t countHostCalls(vst::VstInt32 opcode) const;
    void clearHostCalls() {
        std::lock_guard lock(callsMutex_);
        calls_.clear();
    }
    // Calls the plug-in made while being created (audioMasterVersion first).
    bool wasCalledDuringCreation(vst::VstInt32 opcode) const;

private:
    PluginInstance(std::shared_ptr<PluginModule> module, const HostOptions& options);
    static vst::VstIntPtr hostCallback(vst::AEffect* effect, vst::VstInt32 opcode, vst::VstInt32 index,
                                       vst::VstIntPtr value, void* ptr, float opt);
    vst::VstIntPtr answer(vst::VstInt32 opcode, vst::VstInt32 index, vst::VstIntPtr value, void* ptr, float opt);

    std::shared_ptr<PluginModule> module_;
    vst::AEffect* effect_ = nullptr;
    HostOptions options_;
    HostTime time_;
    vst::VstTimeInfo timeInfo_{};
    std::mutex callsMutex_;  // the audio and the GUI thread both call the host
    std::vector<HostCall> calls_;
    std::vector<vst::VstMidiEvent> midiEvents_;
    std::vector<unsigned char> eventBlock_;
    static constexpr vst::VstInt32 kMaxChannels = 64;
    std::vector<float> scratch_;
    std::vector<vst::VstInt32> creationOpcodes_;
};

}  // namespace velora::host
