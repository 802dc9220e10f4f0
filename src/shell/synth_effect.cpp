// SPDX-License-Identifier: MIT
#include "shell/synth_effect.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <new>

#include "core/numeric.h"
#include "editor/synth_editor.h"
#include "programs/factory_bank.h"
#include "shell/formatters.h"
#include "shell/host_text.h"
#include "shell/parameter_display.h"
#include "shell/parameter_text.h"

namespace velora {

namespace {

using namespace vst;

// Order in which a program's values reach setParameter: "XD Tempo Sync"
// comes before the delay lengths so they are computed in the program's mode.
constexpr ParamId kValueOrder[] = {
    kParamToneOn,          kParamToneUnisonDiff, kParamToneUnisonAmp, kParamAttackOn,     kParamAttackUnisonDiff,
    kParamAttackUnisonAmp, kParamVibFreq,        kParamVibDev,        kParamToneWaveMix,  kParamAttackWaveMix,
    kParamNoiseMix,        kParamAttackFreqMult, kParamToneAmpMax,    kParamToneAmpDecay, kParamToneAmpMin,
    kParamAttackAmpMax,    kParamAttackAmpDecay, kParamAttackAmpMin,  kParamToneLpMax,    kParamToneLpRes,
    kParamToneLpDecay,     kParamToneLpMin,      kParamAttackLpMax,   kParamAttackLpRes,  kParamAttackLpDecay,
    kParamAttackLpMin,     kParamAttack,         kParamDecay,         kParamSustain,      kParamRelease,
    kParamDelay1,          kParamFeedback1,      kParamDelay2,        kParamFeedback2,    kParamXdTempoSync,
    kParamXDelayOn,        kParamXdLengthL,      kParamXdFbL,         kParamXdLengthR,    kParamXdMix,
    kParamReverbOn,        kParamReverbTime,     kParamReverbWet,     kParamReverbDry,    kParamDistOn,
    kParamDistDry,         kParamDistWet,        kParamPanning,       kParamVolumeMajor,  kParamVolumeMinor,
    kParamAftertouchOn,    kParamAUnderAdsr,
};

// Owners of the controller assignments in the order they are bound; when two
// name the same controller, the later one wins.
constexpr ParamId kAssignmentOrder[] = {
    kParamToneUnisonDiff, kParamAttackUnisonDiff, kParamToneUnisonAmp, kParamAttackUnisonAmp, kParamVibFreq,
    kParamVibDev,         kParamToneWaveMix,      kParamAttackWaveMix, kParamNoiseMix,        kParamAttackFreqMult,
    kParamToneAmpMax,     kParamToneAmpDecay,     kParamToneAmpMin,    kParamAttackAmpMax,    kParamAttackAmpDecay,
    kParamAttackAmpMin,   kParamToneLpMax,        kParamToneLpRes,     kParamToneLpDecay,     kParamToneLpMin,
    kParamAttackLpMax,    kParamAttackLpRes,      kParamAttackLpDecay, kParamAttackLpMin,     kParamAttack,
    kParamDecay,          kParamSustain,          kParamRelease,       kParamDelay1,          kParamFeedback1,
    kParamDelay2,         kParamFeedback2,        kParamXdTempoSync,   kParamXDelayOn,        kParamXdLengthL,
    kParamXdFbL,          kParamXdLengthR,        kParamXdMix,         kParamReverbOn,        kParamReverbTime,
    kParamReverbWet,      kParamReverbDry,        kParamDistOn,        kParamDistDry,         kParamDistWet,
    kParamPanning,        kParamVolumeMajor,      kParamVolumeMinor,   kParamAftertouchOn,    kParamAUnderAdsr,
};

// The controller an assignment value names; 128 or more, or below 0, names none.
std::int32_t controllerOf(float assignment) { return truncToInt(assignment * 128.0f); }
bool namesController(std::int32_t controller) { return controller >= 0 && controller < 128; }
// Stored for an assignment that names no controller.
constexpr float kNoController = 1.0f;

// Program slots are written by parameter changes from any thread.
void writeSlot(float& slot, float value) { std::atomic_ref<float>(slot).store(value, std::memory_order_relaxed); }
float readSlot(float& slot) { return std::atomic_ref<float>(slot).load(std::memory_order_relaxed); }

void copyName(char* destination, const char* name) { copyHostText(destination, name, kProgramNameSize); }

}  // namespace

SynthEffect::SynthEffect(audioMasterCallback host) : EffectShell(host, kProgramCount, kParamCount) {
    if (hasHost()) {
        setNumInputs(0);
        setNumOutputs(2);
        setFlag(effFlagsCanReplacing, true);
        setFlag(effFlagsHasVu, false);
        setFlag(effFlagsHasClip, true);
        setFlag(effFlagsIsSynth, true);
        setUniqueID(fourCC('K', 'r', 'V', 'l'));
        askHostForTime();
    }
    for (VstInt32 i = 0; i < kParamCount; ++i)
        if (paramInfo(i).kind == ParamKind::Assignment) mirror_[i] = kNoController;
    bank_.reset(new (std::nothrow) Program[kProgramCount]);
    if (bank_) {
        for (int i = 0; i < kProgramCount; ++i) {
            initProgram(bank_[i]);
            char number[16];
            formatInteger(i, number);
            char name[32];
            std::snprintf(name, sizeof name, "%s - default", number);
            velora::setProgramName(bank_[i], name);
        }
        setProgram(0);
    }
    // The editor makes its window system at its first open, on the host's GUI thread.
    std::unique_ptr<editor::SynthEditor> editor(new (std::nothrow) editor::SynthEditor(editorBridge_, nullptr));
    if (editor) editor->useNativePlatform();
    setEditor(std::move(editor));
}

SynthEffect::~SynthEffect() = default;

// ---- parameters -------------------------------------------------------------

float SynthEffect::storedValue(const ParamInfo& info, float value) {
    switch (info.store) {
    case StoreRule::Switch: return value != 0.0f ? 1.0f : 0.0f;
    case StoreRule::FlushTiny: return std::fabs(value) < kFlushBelow ? 0.0f : value;
    case StoreRule::TempoSync: return value != 0.0f && hostSendsTime_.load() ? 1.0f : 0.0f;
    case StoreRule::Raw: break;
    }
    return value;
}

void SynthEffect::store(const ParamInfo& info, VstInt32 index, float value) {
    mirror_[index] = value;
    if (bank_) writeSlot(bank_[curProgram_.load()].values[info.slot], value);
}

void SynthEffect::applyAction(const ParamInfo& info, float value) {
    switch (info.action) {
    case ActionKind::Engine: {
        // While blocks may render, what the value derives is left to the
        // audio thread, which alone writes the engine's voice state then.
        const auto p = static_cast<engine::VoiceParam>(info.target);
        if (running_.load())
            engine_.postParam(p, value);
        else
            engine_.setParam(p, value);
        break;
    }
    case ActionKind::Effect: effects_.setParam(static_cast<effects::EffectParam>(info.target), value); break;
    case ActionKind::MidiLearn: learn_.setArmed(value > 0.5f); break;
    case ActionKind::None: break;
    }
}

void SynthEffect::setParameter(VstInt32 index, float value) {
    learn_.touch(index);
    const ParamInfo& info = paramInfo(index);
    switch (info.kind) {
    case ParamKind::Sound:
    case ParamKind::VoiceLimit: {
        const float stored = storedValue(info, value);
        store(info, index, stored);
        applyAction(info, stored);
        break;
    }
    case ParamKind::Assignment: {
        store(info, index, value);
        rebuildControllerMap();
        break;
    }
    case ParamKind::Inert: break;
    }
    if (editor::SynthEditor* editor = getEditor()) editor->parameterChanged(index, value);
}

float SynthEffect::getParameter(VstInt32 index) {
    return paramInfo(index).kind == ParamKind::Inert ? 0.0f : mirror_[index].load();
}

void SynthEffect::getParameterName(VstInt32 index, char* text) {
    copyHostText(text, paramInfo(index).name, kParamNameSize);
}

void SynthEffect::getParameterLabel(VstInt32 index, char* text) {
    copyHostText(text, paramInfo(index).label, kParamLabelSize);
}

void SynthEffect::getParameterDisplay(VstInt32 index, char* text) {
    char display[32] = "";
    formatDisplay(index, display);
    copyHostText(text, display, kParamDisplaySize);
}

void SynthEffect::formatDisplay(VstInt32 index, char* text) {
    struct Mirror final : StoredValues {
        const Relaxed<float>* values;
        explicit Mirror(const Relaxed<float>* v) : values(v) {}
        float stored(std::int32_t i) const override { return values[i].load(); }
    };
    formatParameterDisplay(index, Mirror(mirror_), text);
}

bool SynthEffect::string2parameter(VstInt32 index, char* text) {
    const ParamInfo& info = paramInfo(index);
    if (info.kind == ParamKind::Inert) return false;  // nothing could be set
    if (text == nullptr) return true;                 // hosts ask whether text entry works
    float value = 0.0f;
    if (!parameterFromText(index, text, value)) return false;
    setParameter(index, value);
    return true;
}

// ---- programs ---------------------------------------------------------------

// Pushes program index's values through setParameter. The values are read
// slot by slot, as other threads may write them meanwhile; the name is not
// touched, so this may run on the audio thread.
void SynthEffect::applyProgram(VstInt32 index) {
    curProgram_ = index;
    // Work from a copy: every setParameter writes back into the program.
    float values[kSlotCount];
    for (int slot = 0; slot < kSlotCount; ++slot) values[slot] = readSlot(bank_[index].values[slot]);
    for (ParamId parameter : kValueOrder) setParameter(parameter, values[paramInfo(parameter).slot]);
    setParameter(kParamMidiLearn, 0.0f);
    setParameter(kParamVoiceLimit, values[paramInfo(kParamVoiceLimit).slot]);
    for (ParamId inert : {kParamInert105, kParamInert106, kParamInert103}) setParameter(inert, 0.0f);
    for (ParamId owner : kAssignmentOrder) {
        const VstInt32 parameter = assignmentParam(owner);
        setParameter(parameter, values[paramInfo(parameter).slot]);
    }
}

// The map is a function of the assignment values alone, bound in program
// order: whatever order a host restores them in, and whatever was bound
// before, the same values give the same map (the later owner of a shared
// controller wins; an owner without a controller is unbound).
void SynthEffect::rebuildControllerMap() {
    std::int32_t map[128];
    std::fill(std::begin(map), std::end(map), kNoParam);
    for (ParamId owner : kAssignmentOrder) {
        const std::int32_t controller = controllerOf(mirror_[assignmentParam(owner)].load());
        if (namesController(controller)) map[controller] = owner;
    }
    learn_.setMap(map);
}

void SynthEffect::releaseController(int controller) {
    for (ParamId owner : kAssignmentOrder) {
        const VstInt32 parameter = assignmentParam(owner);
        if (controllerOf(mirror_[parameter].load()) == controller) setParameter(parameter, kNoController);
    }
}

// Every voice stops at once and the reverb loops are emptied.
void SynthEffect::stopSound() {
    engine_.resetVoices();
    effects_.zeroReverbLoops();
}

// On the audio thread, before the next sample is rendered.
bool SynthEffect::takePendingStop() {
    if (!stopPending_.load() || !stopPending_.exchange(false)) return false;
    stopSound();
    return true;
}

// From the host's dispatcher. While audio may be rendering on another
// thread, the new values take effect at once (single values, relaxed) and the
// voice reset is left to the audio thread, which carries it out before its
// next sample; the output is the same as when the reset came first.
void SynthEffect::setProgram(VstInt32 index) {
    if (index < 0 || index >= kProgramCount || !bank_) return;
    if (running_.load()) {
        applyProgram(index);
        stopPending_ = true;
    } else {
        stopSound();
        converter_.silenceHistory();
        applyProgram(index);
    }
}

// A MIDI program change, on the audio thread at its own sample.
void SynthEffect::programChange(int index) {
    if (index < 0 || index >= kProgramCount || !bank_) return;
    stopSound();
    applyProgram(index);
}

void SynthEffect::setProgramName(const char* text) {
    if (bank_) velora::setProgramName(bank_[curProgram_.load()], text);
}

void SynthEffect::getProgramName(char* text) {
    if (text == nullptr) return;
    if (bank_)
        copyName(text, bank_[curProgram_.load()].name);
    else
        text[0] = '\0';
}

bool SynthEffect::getProgramNameIndexed(VstInt32, VstInt32 index, char* text) {
    if (index < 0 || index >= kProgramCount || text == nullptr || !bank_) return false;
    copyName(text, bank_[index].name);
    return true;
}

bool SynthEffect::setProgramNameIndexed(VstInt32 index, const char* text) {
    if (index < 0 || index >= kProgramCount || !bank_) return false;
    velora::setProgramName(bank_[index], text);
    return true;
}

bool SynthEffect::copyProgram(VstInt32 destination) {
    if (destination < 0 || destination >= kProgramCount || !bank_) return false;
    const int source = curProgram_.load();
    if (destination == source) return true;
    // Slots slot by slot: the audio thread may load or automate either program.
    for (int slot = 0; slot < kSlotCount; ++slot)
        writeSlot(bank_[destination].values[slot], readSlot(bank_[source].values[slot]));
    std::memcpy(bank_[destination].name, bank_[source].name, kProgramNameSize);
    return true;
}

// ---- lifecycle --------------------------------------------------------------

void SynthEffect::open() {
    // A rate stored by effSetBlockSizeAndSampleRate takes effect here; the
    // host reads the latency after the open.
    applyHostRate(false);
    engine_.storeSampleRate(converter_.engineRate());
    engine_.open();
    effects_.setSampleRate(converter_.engineRate());
    askHostForTime();
    if (hostSendsTime_.load()) pollTempo();
    effects_.open();
    if (bank_) {
        for (int i = 0; i < kProgramCount; ++i) writeFactoryProgram(i, bank_[i]);
        setProgram(0);
    }
}

void SynthEffect::setSampleRate(float rate) {
    storeSampleRate(rate);
    if (!std::isfinite(rate) || rate <= 0.0f) return;
    applyHostRate(true);
    const float engineRate = converter_.engineRate();
    if (converter_.active())
        log::say("sample rate ", log::number(rate), " Hz: the sound is rendered at ", log::number(engineRate),
                 " Hz and converted, with a latency of ", log::number(converter_.latency()), " samples");
    engine_.setSampleRate(engineRate);
    effects_.setSampleRate(engineRate);
    setParameter(kParamVibFreq, mirror_[kParamVibFreq].load());
    setParameter(kParamVibDev, mirror_[kParamVibDev].load());
}

// Nothing is recomputed, but the parameter actions that read the rate
// (decays, reverb gains, free delay lengths) use the new one from now on.
void SynthEffect::setBlockSizeAndSampleRate(VstInt32 size, float rate) {
    EffectShell::setBlockSizeAndSampleRate(size, rate);
    engine_.storeSampleRate(effects::RateConverter::engineRateFor(sampleRate()));
    effects_.storeSampleRate(effects::RateConverter::engineRateFor(sampleRate()));
}

// The engine runs at the rate the sounds were made at and the converter
// brings it to the host's; the host learns the converter's delay.
void SynthEffect::applyHostRate(bool tellHost) {
    // An unchanged rate leaves the converter as it is: a resume may come
    // while a block renders.
    if (converter_.hostRate() != sampleRate()) converter_.setHostRate(sampleRate());
    if (initialDelay() == converter_.latency()) return;
    setInitialDelay(converter_.latency());
    if (tellHost) ioChanged();
}

// Some hosts resume while their audio thread still renders: the engine and
// the effects hand their rebuilds to that thread instead of making them here.
void SynthEffect::resume() {
    askHostForTime();
    applyHostRate(true);
    // The audio thread restarts the converter before it next maps an event
    // or renders; a pending program stop it carries out as always.
    converterResetPending_ = true;
    engine_.postResume();
    effects_.resume();
    running_ = true;
    wantEvents();
}

// No block renders from here until the next resume: what was left to the
// audio thread happens now, and later selections reset at once.
void SynthEffect::suspend() {
    running_ = false;
    takePendingStop();
    engine_.applyPostedParams();
}

// Asked here rather than from the audio thread, where a MIDI program change
// stores the tempo-sync switch.
void SynthEffect::askHostForTime() { hostSendsTime_ = canHostDo("sendVstTimeInfo"); }

// On the audio thread.
void SynthEffect::takeConverterReset() {
    if (converterResetPending_.load() && converterResetPending_.exchange(false)) converter_.reset();
}

bool SynthEffect::pollTempo() {
    const VstTimeInfo* info = getTimeInfo(kVstTempoValid);
    return effects_.applyHostTempo(info != nullptr, info != nullptr ? info->tempo : 0.0);
}

// ---- audio ------------------------------------------------------------------

void SynthEffect::render(float** outputs, VstInt32 frames) {
    if (frames <= 0 || outputs == nullptr || outputs[0] == nullptr || outputs[1] == nullptr) return;
    // A host that renders without resuming is running all the same.
    if (!running_.load()) running_ = true;
    takeConverterReset();
    // A selection made between blocks also silences what the converter still holds.
    if (takePendingStop()) converter_.silenceHistory();
    if (converter_.active())
        converter_.process(outputs[0], outputs[1], frames, *this);
    else
        engine_.renderBlock(outputs[0], outputs[1], frames, *this);
}

void SynthEffect::renderEngine(float* left, float* right, int count) { engine_.renderBlock(left, right, count, *this); }

void SynthEffect::process(float**, float** outputs, VstInt32 frames) { render(outputs, frames); }

void SynthEffect::processReplacing(float**, float** outputs, VstInt32 frames) { render(outputs, frames); }

VstInt32 SynthEffect::processEvents(VstEvents* events) {
    if (events == nullptr) return 0;
    takeConverterReset();
    for (VstInt32 i = 0; i < events->numEvents; ++i) {
        const VstEvent* event = eventAt(*events, i);
        if (event == nullptr || event->type != kVstMidiType) continue;
        MidiEventRecord record;
        static_assert(sizeof record == sizeof(VstMidiEvent));
        std::memcpy(&record, event, sizeof record);
        record.deltaFrames = converter_.engineOffset(record.deltaFrames);
        if (!events_.push(record)) incidents().raise(log::AudioIncidents::kEventDropped);
    }
    return 1;
}

int SynthEffect::dispatchDueEvents(int limit) {
    takePendingStop();  // a selection made while this block renders
    // An event's parameter changes act before the next event, as at once.
    events_.dispatchDue([this](const MidiEventRecord& event) {
        handleMidi(event, learn_, *this);
        engine_.applyPostedParams();
    });
    return events_.skipQuiet(limit);
}

void SynthEffect::tempoCheck() {
    if (effects_.xdOn() && effects_.xdSync() && pollTempo()) effects_.followTempo();
}

void SynthEffect::processOutput(float mixL, float mixR, float& outL, float& outR) {
    effects_.process(mixL, mixR, outL, outR);
}

// ---- identity ---------------------------------------------------------------

bool SynthEffect::getOutputProperties(VstInt32 index, VstPinProperties* properties) {
    if (index < 0 || index > 1 || properties == nullptr) return false;
    std::snprintf(properties->label, sizeof properties->label, "Velora %1d", index + 1);
    properties->flags = kVstPinIsActive | kVstPinIsStereo;
    return true;
}

bool SynthEffect::getEffectName(char* text) {
    if (text == nullptr) return false;
    copyHostText(text, "Velora", kEffectNameSize);
    return true;
}

bool SynthEffect::getVendorString(char* text) {
    if (text == nullptr) return false;
    copyHostText(text, "Kiru Sound Design", kVendorTextSize);
    return true;
}

bool SynthEffect::getProductString(char* text) {
    if (text == nullptr) return false;
    copyHostText(text, "Velora", kVendorTextSize);
    return true;
}

VstInt32 SynthEffect::canDo(const char* text) {
    if (text == nullptr) return -1;
    for (const char* known : {"receiveVstEvents", "receiveVstMidiEvent", "receiveVstTimeInfo", "2in2out"})
        if (std::strcmp(text, known) == 0) return 1;
    return -1;
}

}  // namespace velora
