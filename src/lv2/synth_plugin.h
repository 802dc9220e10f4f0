// SPDX-License-Identifier: MIT
#pragma once
// The LV2 instance: adapts LV2's ports, atoms and state to the same
// SynthEffect the VST 2 entry creates, talking to it as a VST 2 host does.
// It owns no sound of its own: MIDI goes through processEvents, port moves
// through setParameter, audio through processReplacing.
#include <cstdint>

#include "lv2/atom/atom.h"
#include "lv2/core/lv2.h"
#include "lv2/notify_writer.h"
#include "lv2/port_table.h"
#include "lv2/state/state.h"
#include "lv2/urids.h"
#include "programs/program.h"
#include "vst/aeffect.h"

namespace velora {
class SynthEffect;
}

namespace velora::lv2 {

class SynthPlugin {
public:
    // Null when the host lacks urid:map, the rate is outside kMinRate..kMaxRate,
    // or memory runs out; the reason goes to stderr.
    static SynthPlugin* create(double rate, const LV2_Feature* const* features) noexcept;
    ~SynthPlugin();
    SynthPlugin(const SynthPlugin&) = delete;
    SynthPlugin& operator=(const SynthPlugin&) = delete;

    void connect(std::uint32_t port, void* data) noexcept;
    void activate() noexcept;
    void deactivate() noexcept;
    void run(std::uint32_t frames) noexcept;

    LV2_State_Status save(LV2_State_Store_Function store, LV2_State_Handle handle) noexcept;
    LV2_State_Status restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle) noexcept;

    // The rates velora-host renders at; from 22.05 kHz up the engine runs at
    // 44.1 kHz behind the converter, below it straight at the host's rate.
    static constexpr double kMinRate = 1.0;
    static constexpr double kMaxRate = 1.0e6;
    // Tempo until the host sends a time:Position with one.
    static constexpr double kDefaultTempo = 120.0;

private:
    SynthPlugin() = default;
    static vst::VstIntPtr hostCallback(vst::AEffect* effect, vst::VstInt32 opcode, vst::VstInt32 index,
                                       vst::VstIntPtr value, void* ptr, float opt);
    vst::VstIntPtr answer(vst::VstInt32 opcode, void* ptr);
    vst::VstIntPtr dispatch(vst::VstInt32 opcode, vst::VstInt32 index = 0, vst::VstIntPtr value = 0,
                            void* ptr = nullptr, float opt = 0.0f);

    void readEvents(std::uint32_t frames);
    void readObject(const LV2_Atom& atom);
    void applyPorts();
    void applyPort(std::uint32_t row);
    void render(std::uint32_t frames);
    void renderChunk(float* left, float* right, std::uint32_t start, std::uint32_t frames);
    void noteInternalChanges();
    void writeNotify();
    float portValueNow(std::uint32_t row);

    static constexpr std::uint32_t kMaxEventsPerRun = 2048;
    static constexpr std::uint32_t kScratchFrames = 1024;  // for outputs a host left unconnected

    SynthEffect* effect_ = nullptr;  // deleted through effClose
    Urids urids_;
    NotifyWriter notify_;
    double rate_ = 44100.0;
    double tempo_ = kDefaultTempo;
    vst::VstTimeInfo timeInfo_{};

    const LV2_Atom_Sequence* eventsIn_ = nullptr;
    LV2_Atom_Sequence* notifyOut_ = nullptr;
    float* audio_[2] = {nullptr, nullptr};
    const float* controls_[kControlPortCount] = {};
    float* latency_ = nullptr;

    // Bits of the value last seen on each control port: only a new one is applied.
    std::uint32_t seen_[kControlPortCount] = {};
    // Port values the user interface was last told, and what it still has to hear.
    float told_[kControlPortCount] = {};
    bool pending_[kControlPortCount] = {};
    bool toldLearning_ = false;
    std::int32_t toldTarget_ = -1;
    bool learnPending_ = true;
    bool listened_ = false;  // a user interface has sent patch:Get

    vst::VstMidiEvent midi_[kMaxEventsPerRun] = {};
    std::uint32_t midiCount_ = 0;
    struct EventBlock {
        vst::VstInt32 numEvents;
        vst::VstIntPtr reserved;
        vst::VstEvent* events[kMaxEventsPerRun];
    } block_{};
    float scratch_[2][kScratchFrames] = {};
};

}  // namespace velora::lv2
