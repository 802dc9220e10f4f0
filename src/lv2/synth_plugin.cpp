// SPDX-License-Identifier: MIT
#include "lv2/synth_plugin.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <new>

#include "lv2/atom_reader.h"
#include "lv2/notify_messages.h"
#include "lv2/port_values.h"
#include "lv2/urid/urid.h"
#include "shell/synth_effect.h"

namespace velora::lv2 {

namespace {

using namespace vst;

// What velora-host answers to the version query.
constexpr VstIntPtr kHostVersion = 2400;

const void* findFeature(const LV2_Feature* const* features, const char* uri) {
    if (features == nullptr) return nullptr;
    for (const LV2_Feature* const* f = features; *f != nullptr; ++f)
        if ((*f)->URI != nullptr && std::strcmp((*f)->URI, uri) == 0) return (*f)->data;
    return nullptr;
}

void complain(const char* what) { std::fprintf(stderr, "velora (LV2): %s\n", what); }

std::uint32_t bitsOf(float value) { return std::bit_cast<std::uint32_t>(value); }

}  // namespace

SynthPlugin* SynthPlugin::create(double rate, const LV2_Feature* const* features) noexcept {
    auto* map = static_cast<LV2_URID_Map*>(const_cast<void*>(findFeature(features, LV2_URID__map)));
    if (map == nullptr || map->map == nullptr) {
        complain("the host offers no urid:map; the plug-in cannot start");
        return nullptr;
    }
    if (!(rate >= kMinRate) || !(rate <= kMaxRate)) {
        complain("sample rate outside 1..1000000 Hz; the plug-in cannot start");
        return nullptr;
    }
    auto* plugin = new (std::nothrow) SynthPlugin;
    if (plugin == nullptr) return nullptr;
    if (!plugin->urids_.map(*map)) {
        complain("the host's urid:map failed");
        delete plugin;
        return nullptr;
    }
    plugin->notify_.init(map);
    plugin->rate_ = rate;
    plugin->effect_ = new (std::nothrow) SynthEffect(&SynthPlugin::hostCallback);
    if (plugin->effect_ == nullptr) {
        delete plugin;
        return nullptr;
    }
    plugin->effect_->effect()->user = plugin;
    // The order velora-host uses, so both formats start from the same state.
    plugin->dispatch(effOpen);
    plugin->dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(rate));
    plugin->dispatch(effSetBlockSize, 0, static_cast<VstIntPtr>(kScratchFrames));
    // A port holding what the instance holds changes nothing.
    for (std::uint32_t row = 0; row < kControlPortCount; ++row) {
        plugin->told_[row] = plugin->portValueNow(row);
        plugin->seen_[row] = bitsOf(plugin->told_[row]);
    }
    return plugin;
}

SynthPlugin::~SynthPlugin() {
    if (effect_ != nullptr) dispatch(effClose);
}

VstIntPtr SynthPlugin::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    AEffect* effect = effect_->effect();
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

VstIntPtr SynthPlugin::hostCallback(AEffect* effect, VstInt32 opcode, VstInt32, VstIntPtr, void* ptr, float) {
    auto* plugin = effect != nullptr ? static_cast<SynthPlugin*>(effect->user) : nullptr;
    if (plugin == nullptr) return opcode == audioMasterVersion ? kHostVersion : 0;
    return plugin->answer(opcode, ptr);
}

// A VST 2 host that always knows its tempo: 120 until the LV2 host tells
// another through time:Position.
VstIntPtr SynthPlugin::answer(VstInt32 opcode, void* ptr) {
    switch (opcode) {
    case audioMasterVersion: return kHostVersion;
    case audioMasterCanDo:
        return ptr != nullptr && std::strcmp(static_cast<const char*>(ptr), "sendVstTimeInfo") == 0 ? 1 : 0;
    case audioMasterGetTime:
        timeInfo_ = VstTimeInfo{};
        timeInfo_.sampleRate = rate_;
        timeInfo_.tempo = tempo_;
        timeInfo_.flags = kVstTransportPlaying | kVstTempoValid;
        return reinterpret_cast<VstIntPtr>(&timeInfo_);
    case audioMasterWantMidi: return 1;
    default: return 0;
    }
}

void SynthPlugin::connect(std::uint32_t port, void* data) noexcept {
    switch (port) {
    case kPortEventsIn: eventsIn_ = static_cast<const LV2_Atom_Sequence*>(data); return;
    case kPortNotify: notifyOut_ = static_cast<LV2_Atom_Sequence*>(data); return;
    case kPortAudioLeft: audio_[0] = static_cast<float*>(data); return;
    case kPortAudioRight: audio_[1] = static_cast<float*>(data); return;
    case kPortLatency: latency_ = static_cast<float*>(data); return;
    default:
        if (port >= kFirstControlPort && port < kPortLatency)
            controls_[port - kFirstControlPort] = static_cast<float*>(data);
        return;
    }
}

void SynthPlugin::activate() noexcept { dispatch(effMainsChanged, 0, 1); }

void SynthPlugin::deactivate() noexcept { dispatch(effMainsChanged, 0, 0); }

float SynthPlugin::portValueNow(std::uint32_t row) {
    const ParamId param = kControlPorts[row].param;
    return portFromParameter(param, effect_->getParameter(param));
}

// ---- run --------------------------------------------------------------------

void SynthPlugin::run(std::uint32_t frames) noexcept {
    readEvents(frames);
    applyPorts();
    render(frames);
    if (latency_ != nullptr) *latency_ = static_cast<float>(effect_->effect()->initialDelay);
    noteInternalChanges();
    writeNotify();
}

void SynthPlugin::readEvents(std::uint32_t frames) {
    midiCount_ = 0;
    const std::int64_t last = frames > 0 ? static_cast<std::int64_t>(frames) - 1 : 0;
    forEachEvent(eventsIn_, urids_, [&](std::int64_t time, const LV2_Atom& atom) {
        if (atom.type != urids_.midiEvent) {
            readObject(atom);
            return;
        }
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(&atom + 1);
        // Channel messages only: system messages (and SysEx) have no meaning here.
        if (atom.size == 0 || atom.size > 3 || bytes[0] < 0x80 || bytes[0] >= 0xF0) return;
        if (midiCount_ == kMaxEventsPerRun) {
            effect_->incidents().raise(log::AudioIncidents::kEventDropped);
            return;
        }
        VstMidiEvent& event = midi_[midiCount_++];
        event = VstMidiEvent{};
        event.type = kVstMidiType;
        event.byteSize = sizeof(VstMidiEvent);
        event.deltaFrames = static_cast<VstInt32>(std::clamp<std::int64_t>(time, 0, last));
        std::memcpy(event.midiData, bytes, atom.size);
    });
}

// The tempo of the block, and the user interface's request for everything.
void SynthPlugin::readObject(const LV2_Atom& atom) {
    const LV2_Atom_Object* object = asObject(atom, urids_);
    if (object == nullptr) return;
    if (object->body.otype == urids_.patchGet) {
        listened_ = true;
        std::fill(std::begin(pending_), std::end(pending_), true);
        learnPending_ = true;
        return;
    }
    if (object->body.otype != urids_.timePosition) return;
    forEachProperty(*object, [&](LV2_URID key, const LV2_Atom& value) {
        double bpm = 0.0;
        if (key == urids_.timeBeatsPerMinute && readNumber(value, urids_, bpm) && std::isfinite(bpm) && bpm > 0.0)
            tempo_ = bpm;
    });
}

// Only a port whose value differs from the one last seen there is applied,
// so a change made inside (learned controller, program change) stands until
// the host moves that port again. "Midi Learn" goes first: arming it and
// moving a control in the same block learns that control, as it would a
// block apart.
void SynthPlugin::applyPorts() {
    static constexpr std::uint32_t kLearnRow = portOfParam(kParamMidiLearn) - kFirstControlPort;
    applyPort(kLearnRow);
    for (std::uint32_t row = 0; row < kControlPortCount; ++row)
        if (row != kLearnRow) applyPort(row);
}

void SynthPlugin::applyPort(std::uint32_t row) {
    if (controls_[row] == nullptr) return;
    const float value = *controls_[row];
    if (bitsOf(value) == seen_[row]) return;
    seen_[row] = bitsOf(value);
    const ParamId param = kControlPorts[row].param;
    float clamped = 0.0f;
    if (!portValueInRange(param, value, clamped)) return;
    effect_->setParameter(param, parameterFromPort(param, clamped));
    pending_[row] = true;  // tells the user interface the display text
}

void SynthPlugin::render(std::uint32_t frames) {
    if (audio_[0] != nullptr && audio_[1] != nullptr) {
        renderChunk(audio_[0], audio_[1], 0, frames);
        return;
    }
    for (std::uint32_t start = 0; start < frames || (frames == 0 && start == 0); start += kScratchFrames) {
        const std::uint32_t count = std::min(kScratchFrames, frames - start);
        renderChunk(scratch_[0], scratch_[1], start, count);
        for (int channel = 0; channel < 2; ++channel)
            if (audio_[channel] != nullptr)
                std::memcpy(audio_[channel] + start, scratch_[channel], count * sizeof(float));
        if (frames == 0) break;
    }
}

// The events falling in [start, start + frames) reach processEvents as a
// VST 2 host delivers them, then the chunk renders.
void SynthPlugin::renderChunk(float* left, float* right, std::uint32_t start, std::uint32_t frames) {
    block_.numEvents = 0;
    for (std::uint32_t i = 0; i < midiCount_; ++i) {
        VstMidiEvent& event = midi_[i];
        const auto offset = static_cast<std::uint32_t>(event.deltaFrames);
        if (offset < start || (offset >= start + frames && !(frames == 0 && offset == start))) continue;
        event.deltaFrames = static_cast<VstInt32>(offset - start);
        block_.events[block_.numEvents++] = reinterpret_cast<VstEvent*>(&event);
    }
    if (block_.numEvents > 0) dispatch(effProcessEvents, 0, 0, &block_);
    // Offsets already handed over must not match a later chunk.
    for (VstInt32 i = 0; i < block_.numEvents; ++i) block_.events[i]->deltaFrames = -1;
    if (frames == 0) return;
    float* outputs[2] = {left, right};
    AEffect* effect = effect_->effect();
    effect->processReplacing(effect, nullptr, outputs, static_cast<VstInt32>(frames));
}

void SynthPlugin::noteInternalChanges() {
    for (std::uint32_t row = 0; row < kControlPortCount; ++row)
        if (bitsOf(portValueNow(row)) != bitsOf(told_[row])) pending_[row] = true;
    const std::int32_t target = effect_->getLearnTarget() == kNoParam ? -1 : effect_->getLearnTarget();
    if (effect_->isLearning() != toldLearning_ || target != toldTarget_) learnPending_ = true;
}

// Nothing is said before a user interface asks (hosts warn of every patch:Set
// they do not know); what it would have heard then comes with its first request.
void SynthPlugin::writeNotify() {
    if (!notify_.begin(notifyOut_)) return;
    if (!listened_) {
        notify_.end();
        return;
    }
    for (std::uint32_t row = 0; row < kControlPortCount; ++row) {
        if (!pending_[row]) continue;
        const ParamId param = kControlPorts[row].param;
        const float value = portValueNow(row);
        char display[kMaxDisplayText + 1] = "";
        effect_->getParameterDisplay(param, display);
        if (!notify_.parameter(urids_, urids_.parameter[row], value, display)) break;
        told_[row] = value;
        pending_[row] = false;
    }
    if (learnPending_) {
        const bool learning = effect_->isLearning();
        const std::int32_t target = effect_->getLearnTarget() == kNoParam ? -1 : effect_->getLearnTarget();
        if (notify_.learnState(urids_, learning, target)) {
            toldLearning_ = learning;
            toldTarget_ = target;
            learnPending_ = false;
        }
    }
    notify_.end();
}

// ---- state ------------------------------------------------------------------

// Ports carry the sound; the state carries what ports do not: the controller
// bound to each parameter and the bank's program names.
LV2_State_Status SynthPlugin::save(LV2_State_Store_Function store, LV2_State_Handle handle) noexcept {
    if (store == nullptr) return LV2_STATE_ERR_UNKNOWN;
    const std::uint32_t flags = LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE;
    for (std::uint32_t row = 0; row < kControlPortCount; ++row) {
        const int assignment = assignmentOf(kControlPorts[row].param);
        if (assignment < 0 || urids_.assignmentKey[row] == 0) continue;
        const float value = effect_->getParameter(assignment);
        store(handle, urids_.assignmentKey[row], &value, sizeof value, urids_.atomFloat, flags);
    }
    for (int program = 0; program < kProgramCount; ++program) {
        char name[kProgramNameSize + 8] = "";
        if (!effect_->getProgramNameIndexed(0, program, name)) continue;
        name[kProgramNameSize - 1] = '\0';
        store(handle, urids_.programNameKey[program], name, std::strlen(name) + 1, urids_.atomString, flags);
    }
    return LV2_STATE_SUCCESS;
}

// A property missing, of another type or out of range leaves what the
// instance holds; the rest restores as VST 2 recall sets the same values.
LV2_State_Status SynthPlugin::restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle) noexcept {
    if (retrieve == nullptr) return LV2_STATE_ERR_UNKNOWN;
    for (std::uint32_t row = 0; row < kControlPortCount; ++row) {
        const int assignment = assignmentOf(kControlPorts[row].param);
        if (assignment < 0 || urids_.assignmentKey[row] == 0) continue;
        std::size_t size = 0;
        std::uint32_t type = 0, flags = 0;
        const void* body = retrieve(handle, urids_.assignmentKey[row], &size, &type, &flags);
        double value = 0.0;
        if (body == nullptr || size > 16 || !readNumber(body, static_cast<std::uint32_t>(size), type, urids_, value))
            continue;
        if (!std::isfinite(value) || value < 0.0 || value > 1.0) continue;
        effect_->setParameter(assignment, static_cast<float>(value));
    }
    for (int program = 0; program < kProgramCount; ++program) {
        std::size_t size = 0;
        std::uint32_t type = 0, flags = 0;
        const void* body = retrieve(handle, urids_.programNameKey[program], &size, &type, &flags);
        if (body == nullptr || type != urids_.atomString) continue;
        char name[kProgramNameSize] = "";
        std::memcpy(name, body, std::min(size, kProgramNameSize - 1));
        effect_->setProgramNameIndexed(program, name);
    }
    return LV2_STATE_SUCCESS;
}

}  // namespace velora::lv2
