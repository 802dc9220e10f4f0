// SPDX-License-Identifier: MIT
#include "plugin_host.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <utility>

#include "plugin_module.h"

namespace velora::host {
namespace {

using vst::VstInt32;
using vst::VstIntPtr;

using EntryProc = vst::AEffect* (*)(vst::audioMasterCallback);

// Instances by their AEffect, so the static callback finds its host object.
// During the entry call the AEffect is not known yet: the instance being
// created on this thread answers then.
std::mutex registryMutex;
std::vector<std::pair<vst::AEffect*, PluginInstance*>> registry;
thread_local PluginInstance* instanceBeingCreated = nullptr;

void registerInstance(vst::AEffect* effect, PluginInstance* instance) {
    std::lock_guard lock(registryMutex);
    registry.emplace_back(effect, instance);
}

void unregisterInstance(const PluginInstance* instance) {
    std::lock_guard lock(registryMutex);
    std::erase_if(registry, [instance](const auto& entry) { return entry.second == instance; });
}

PluginInstance* findInstance(vst::AEffect* effect) {
    {
        std::lock_guard lock(registryMutex);
        for (const auto& [known, instance] : registry)
            if (known == effect) return instance;
    }
    return instanceBeingCreated;
}

// Room for any text a plug-in writes: far beyond the interface's limits, so
// an overlong answer is cut instead of overrunning the buffer.
constexpr std::size_t kTextBuffer = 1024;

std::string terminated(char* buffer) {
    buffer[kTextBuffer - 1] = '\0';
    return std::string(buffer);
}

}  // namespace

PluginInstance::PluginInstance(std::shared_ptr<PluginModule> module, const HostOptions& options)
    : module_(std::move(module)), options_(options) {}

std::unique_ptr<PluginInstance> PluginInstance::load(const std::string& path, std::string& error,
                                                     const HostOptions& options) {
    auto module = PluginModule::load(path, error);
    if (!module) return nullptr;
    auto entry = reinterpret_cast<EntryProc>(module->symbol("VSTPluginMain"));
    if (!entry) entry = reinterpret_cast<EntryProc>(module->symbol("main"));
    if (!entry) {
        error = "'" + path + "' is not a VST 2 plug-in: it exports neither VSTPluginMain nor main";
        return nullptr;
    }
    std::unique_ptr<PluginInstance> instance(new PluginInstance(module, options));
    instanceBeingCreated = instance.get();
    vst::AEffect* effect = entry(&PluginInstance::hostCallback);
    instanceBeingCreated = nullptr;
    for (const HostCall& call : instance->calls_) instance->creationOpcodes_.push_back(call.opcode);
    if (!effect) {
        error = "'" + path + "': the plug-in's entry point returned no effect";
        return nullptr;
    }
    if (effect->magic != vst::kEffectMagic) {
        // Not an AEffect we can trust to close: leave it alone.
        error = "'" + path + "': the returned record has a wrong magic number";
        return nullptr;
    }
    if (!effect->dispatcher) {
        error = "'" + path + "': the returned record has no dispatcher";
        return nullptr;
    }
    instance->effect_ = effect;
    registerInstance(effect, instance.get());
    return instance;
}

PluginInstance::~PluginInstance() {
    close();
    unregisterInstance(this);
}

VstIntPtr PluginInstance::hostCallback(vst::AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                       void* ptr, float opt) {
    PluginInstance* instance = findInstance(effect);
    if (!instance) return opcode == vst::audioMasterVersion ? 2400 : 0;
    return instance->answer(opcode, index, value, ptr, opt);
}

VstIntPtr PluginInstance::answer(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    HostCall call{opcode, index, value, opt, {}};
    if (opcode == vst::audioMasterCanDo && ptr) call.text = static_cast<const char*>(ptr);
    if (options_.listener) options_.listener(call);
    if (options_.recordCalls) {
        std::lock_guard lock(callsMutex_);
        calls_.push_back(call);
    }
    switch (opcode) {
    case vst::audioMasterVersion: return options_.hostVersion;
    case vst::audioMasterCanDo:
        if (call.text == "sizeWindow") return options_.sizeWindow ? 1 : 0;
        return call.text == "sendVstTimeInfo" ? options_.canDoTimeInfo : 0;
    case vst::audioMasterSizeWindow:
        return options_.sizeWindow && options_.sizeWindow(static_cast<int>(index), static_cast<int>(value)) ? 1 : 0;
    case vst::audioMasterGetTime: {
        if (!options_.provideTimeInfo) return 0;
        timeInfo_ = vst::VstTimeInfo{};
        timeInfo_.samplePos = time_.samplePos;
        timeInfo_.sampleRate = time_.sampleRate;
        timeInfo_.ppqPos = time_.ppqPos;
        timeInfo_.tempo = time_.tempo;
        timeInfo_.timeSigNumerator = 4;
        timeInfo_.timeSigDenominator = 4;
        timeInfo_.flags = time_.flags;
        return reinterpret_cast<VstIntPtr>(&timeInfo_);
    }
    default: return 0;
    }
}

std::size_t PluginInstance::countHostCalls(VstInt32 opcode) const {
    return static_cast<std::size_t>(
        std::count_if(calls_.begin(), calls_.end(), [opcode](const HostCall& c) { return c.opcode == opcode; }));
}

bool PluginInstance::wasCalledDuringCreation(VstInt32 opcode) const {
    return std::find(creationOpcodes_.begin(), creationOpcodes_.end(), opcode) != creationOpcodes_.end();
}

VstIntPtr PluginInstance::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    if (!effect_) return 0;
    vst::AEffect* effect = effect_;
    // The instance is gone after effClose: forget it before the call.
    if (opcode == vst::effClose) effect_ = nullptr;
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

void PluginInstance::setParameter(VstInt32 index, float value) {
    if (effect_ && effect_->setParameter) effect_->setParameter(effect_, index, value);
}

float PluginInstance::getParameter(VstInt32 index) {
    return effect_ && effect_->getParameter ? effect_->getParameter(effect_, index) : 0.0f;
}

std::string PluginInstance::textQuery(VstInt32 opcode, VstInt32 index) {
    char buffer[kTextBuffer] = {};
    dispatch(opcode, index, 0, buffer);
    return terminated(buffer);
}

std::string PluginInstance::parameterName(VstInt32 index) { return textQuery(vst::effGetParamName, index); }
std::string PluginInstance::parameterLabel(VstInt32 index) { return textQuery(vst::effGetParamLabel, index); }
std::string PluginInstance::parameterDisplay(VstInt32 index) { return textQuery(vst::effGetParamDisplay, index); }

std::string PluginInstance::programName(VstInt32 index) {
    char buffer[kTextBuffer] = {};
    if (dispatch(vst::effGetProgramNameIndexed, index, 0, buffer) == 0) return {};
    return terminated(buffer);
}

VstIntPtr PluginInstance::canDo(const std::string& text) {
    std::string copy = text;
    return dispatch(vst::effCanDo, 0, 0, copy.data());
}

void PluginInstance::open() { dispatch(vst::effOpen); }
void PluginInstance::close() { dispatch(vst::effClose); }
void PluginInstance::setSampleRate(float rate) {
    time_.sampleRate = rate;
    dispatch(vst::effSetSampleRate, 0, 0, nullptr, rate);
}
void PluginInstance::setBlockSize(VstInt32 frames) { dispatch(vst::effSetBlockSize, 0, frames); }
void PluginInstance::resume() { dispatch(vst::effMainsChanged, 0, 1); }
void PluginInstance::suspend() { dispatch(vst::effMainsChanged, 0, 0); }
void PluginInstance::setProgram(VstInt32 program) { dispatch(vst::effSetProgram, 0, program); }

VstIntPtr PluginInstance::sendMidi(const std::vector<MidiMessage>& messages) {
    // Kept as members: the events stay valid until the next call, as plug-ins may expect.
    midiEvents_.assign(messages.size(), vst::VstMidiEvent{});
    // VstEvents declares two pointers; the block holds as many as there are events.
    const std::size_t pointers = std::max<std::size_t>(messages.size(), 2);
    eventBlock_.assign(offsetof(vst::VstEvents, events) + pointers * sizeof(vst::VstEvent*), 0);
    auto* header = reinterpret_cast<vst::VstEvents*>(eventBlock_.data());
    header->numEvents = static_cast<VstInt32>(messages.size());
    vst::VstEvent** slots = header->events;
    for (std::size_t i = 0; i < messages.size(); ++i) {
        vst::VstMidiEvent& event = midiEvents_[i];
        event.type = vst::kVstMidiType;
        event.byteSize = sizeof(vst::VstMidiEvent);
        event.deltaFrames = messages[i].deltaFrames;
        for (int b = 0; b < 3; ++b) event.midiData[b] = static_cast<char>(messages[i].bytes[b]);
        slots[i] = reinterpret_cast<vst::VstEvent*>(&event);
    }
    return dispatch(vst::effProcessEvents, 0, 0, header);
}

void PluginInstance::processReplacing(float* left, float* right, VstInt32 frames) {
    if (frames <= 0) return;
    if (!effect_) {
        std::fill(left, left + frames, 0.0f);
        std::fill(right, right + frames, 0.0f);
        return;
    }
    // Channels beyond the stereo pair, and any inputs, get scratch buffers.
    const VstInt32 inputs = std::clamp<VstInt32>(effect_->numInputs, 0, kMaxChannels);
    const VstInt32 outputs = std::clamp<VstInt32>(effect_->numOutputs, 0, kMaxChannels);
    const std::size_t length = static_cast<std::size_t>(frames);
    if (scratch_.size() < length * static_cast<std::size_t>(inputs + outputs))
        scratch_.resize(length * (inputs + outputs));
    std::fill(scratch_.begin(), scratch_.end(), 0.0f);
    float* inputPointers[kMaxChannels] = {};
    float* outputPointers[kMaxChannels] = {};
    if (outputs < 2) std::fill(right, right + length, 0.0f);
    if (outputs < 1) std::fill(left, left + length, 0.0f);
    for (VstInt32 i = 0; i < inputs; ++i) inputPointers[i] = scratch_.data() + length * i;
    for (VstInt32 i = 0; i < outputs; ++i)
        outputPointers[i] = i == 0 ? left : i == 1 ? right : scratch_.data() + length * (inputs + i);
    if (effect_->processReplacing) {
        effect_->processReplacing(effect_, inputPointers, outputPointers, frames);
    } else if (effect_->process) {
        std::fill(left, left + length, 0.0f);
        std::fill(right, right + length, 0.0f);
        effect_->process(effect_, inputPointers, outputPointers, frames);
    }
}

}  // namespace velora::host
