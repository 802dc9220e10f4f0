// SPDX-License-Identifier: MIT
#include "shell/effect_shell.h"

#include <cmath>
#include <cstring>

#include "core/numeric.h"
#include "editor/synth_editor.h"
#include "shell/host_text.h"

namespace velora {

namespace {

using namespace vst;

// Calls that come from the host's user-interface thread often enough to
// write down what the audio thread met since.
bool reportsIncidents(VstInt32 opcode) {
    return opcode == effEditIdle || opcode == effMainsChanged || opcode == effClose;
}

// The record's entries: recover the instance from the object field and call
// the matching operation. Nothing may unwind into the host.
VstIntPtr dispatchEntry(AEffect* e, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) noexcept {
    EffectShell* shell = EffectShell::fromEffect(e);
    if (shell == nullptr) return 0;
    const log::InstanceScope scope(shell->instanceNumber());
    if (reportsIncidents(opcode)) shell->incidents().report();
    if (opcode == effClose) {
        shell->close();
        delete shell;
        return 1;
    }
    return shell->dispatcher(opcode, index, value, ptr, opt);
}

void processEntry(AEffect* e, float** inputs, float** outputs, VstInt32 frames) noexcept {
    if (EffectShell* shell = EffectShell::fromEffect(e)) shell->process(inputs, outputs, frames);
}

void processReplacingEntry(AEffect* e, float** inputs, float** outputs, VstInt32 frames) noexcept {
    if (EffectShell* shell = EffectShell::fromEffect(e)) shell->processReplacing(inputs, outputs, frames);
}

void setParameterEntry(AEffect* e, VstInt32 index, float value) noexcept {
    if (EffectShell* shell = EffectShell::fromEffect(e)) shell->setParameter(index, value);
}

float getParameterEntry(AEffect* e, VstInt32 index) noexcept {
    EffectShell* shell = EffectShell::fromEffect(e);
    return shell != nullptr ? shell->getParameter(index) : 0.0f;
}

void copyText(char* destination, const char* text) { copyHostText(destination, text, kParamLabelSize); }

}  // namespace

EffectShell::EffectShell(audioMasterCallback host, int programCount, int paramCount)
    : programCount_(programCount), paramCount_(paramCount), host_(host) {
    std::memset(&effect_, 0, sizeof effect_);
    effect_.magic = kEffectMagic;
    effect_.dispatcher = dispatchEntry;
    effect_.process = processEntry;
    effect_.setParameter = setParameterEntry;
    effect_.getParameter = getParameterEntry;
    effect_.processReplacing = processReplacingEntry;
    effect_.numPrograms = programCount;
    effect_.numParams = paramCount;
    effect_.numInputs = 1;
    effect_.numOutputs = 2;
    effect_.ioRatio = 1.0f;
    effect_.object = this;
    effect_.uniqueID = fourCC('N', 'o', 'E', 'f');
    effect_.version = kPluginVersion;
}

EffectShell::~EffectShell() = default;

EffectShell* EffectShell::fromEffect(AEffect* effect) {
    return effect != nullptr ? static_cast<EffectShell*>(effect->object) : nullptr;
}

void EffectShell::setEditor(std::unique_ptr<editor::SynthEditor> editor) {
    editor_ = std::move(editor);
    setFlag(effFlagsHasEditor, editor_ != nullptr);
}

void EffectShell::setFlag(VstInt32 flag, bool on) {
    effect_.flags = on ? (effect_.flags | flag) : (effect_.flags & ~flag);
}

void EffectShell::setParameter(VstInt32, float) {}
float EffectShell::getParameter(VstInt32) { return 0.0f; }

void EffectShell::setParameterAutomated(VstInt32 index, float value) {
    setParameter(index, value);
    callHost(audioMasterAutomate, index, 0, nullptr, value);
}

void EffectShell::process(float**, float**, VstInt32) {}
void EffectShell::processReplacing(float**, float**, VstInt32) {}

void EffectShell::getProgramName(char* name) { copyText(name, ""); }
void EffectShell::getParameterLabel(VstInt32, char* text) { copyText(text, ""); }
void EffectShell::getParameterDisplay(VstInt32, char* text) { copyText(text, ""); }
void EffectShell::getParameterName(VstInt32, char* text) { copyText(text, ""); }
bool EffectShell::getProgramNameIndexed(VstInt32, VstInt32, char*) { return false; }

VstIntPtr EffectShell::callHost(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    return host_ != nullptr ? host_(&effect_, opcode, index, value, ptr, opt) : 0;
}

void EffectShell::storeSampleRate(float rate) {
    if (std::isfinite(rate) && rate > 0.0f) {
        sampleRate_ = rate;
        return;
    }
    log::say("sample rate ", log::number(rate), " ignored (not a positive number); staying at ",
             log::number(sampleRate_), " Hz");
}

VstIntPtr EffectShell::hostVersion() { return callHost(audioMasterVersion); }

bool EffectShell::canHostDo(const char* text) { return callHost(audioMasterCanDo, 0, 0, const_cast<char*>(text)) == 1; }

void EffectShell::wantEvents() { callHost(audioMasterWantMidi, 0, 1); }

VstTimeInfo* EffectShell::getTimeInfo(VstInt32 mask) {
    return reinterpret_cast<VstTimeInfo*>(callHost(audioMasterGetTime, 0, mask));
}

bool EffectShell::beginEdit(VstInt32 index) { return callHost(audioMasterBeginEdit, index) != 0; }
bool EffectShell::endEdit(VstInt32 index) { return callHost(audioMasterEndEdit, index) != 0; }
void EffectShell::hostIdle() { callHost(audioMasterIdle); }

bool EffectShell::sizeWindow(int width, int height) {
    if (!canHostDo("sizeWindow")) return false;
    return callHost(audioMasterSizeWindow, width, height) != 0;
}

void EffectShell::ioChanged() { callHost(audioMasterIOChanged); }

VstIntPtr EffectShell::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    if (opcode >= effProcessEvents && opcode <= effBeginLoadProgram)
        return dispatchExtended(opcode, index, value, ptr, opt);
    switch (opcode) {
    case effOpen: open(); return 0;
    case effClose: close(); return 1;  // the entry deletes the instance
    case effSetProgram:
        if (value < 0 || value >= programCount_)
            log::say("program ", std::to_string(value), " ignored: the bank holds 0..",
                     std::to_string(programCount_ - 1));
        if (value < programCount_) setProgram(value < 0 ? -1 : static_cast<VstInt32>(value));
        return 0;
    case effGetProgram: return getProgram();
    case effSetProgramName:
        if (ptr != nullptr) setProgramName(static_cast<char*>(ptr));
        return 0;
    case effGetProgramName:
        if (ptr != nullptr) getProgramName(static_cast<char*>(ptr));
        return 0;
    case effGetParamLabel:
        if (ptr != nullptr) getParameterLabel(index, static_cast<char*>(ptr));
        return 0;
    case effGetParamDisplay:
        if (ptr != nullptr) getParameterDisplay(index, static_cast<char*>(ptr));
        return 0;
    case effGetParamName:
        if (ptr != nullptr) getParameterName(index, static_cast<char*>(ptr));
        return 0;
    case effGetVu: return 0;  // no level meter: 0.0 x 32767
    case effSetSampleRate: setSampleRate(opt); return 0;
    case effSetBlockSize: setBlockSize(static_cast<VstInt32>(value)); return 0;
    case effMainsChanged:
        if (value == 0)
            suspend();
        else
            resume();
        return 0;
    case effEditGetRect: return editor_ ? editor_->getRect(static_cast<ERect**>(ptr)) : 0;
    case effEditOpen: return editor_ ? editor_->open(ptr) : 0;
    case effEditClose:
        if (editor_) editor_->close();
        return 0;
    case effEditIdle:
        if (editor_) editor_->idle();
        return 0;
    case effIdentify: return fourCC('N', 'v', 'E', 'f');
    default: return 0;  // chunks and everything unknown
    }
}

VstIntPtr EffectShell::dispatchExtended(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    switch (opcode) {
    case effProcessEvents: return ptr != nullptr ? processEvents(static_cast<VstEvents*>(ptr)) : 0;
    case effCanBeAutomated: return 1;
    case effString2Parameter: return string2parameter(index, static_cast<char*>(ptr)) ? 1 : 0;
    case effGetNumProgramCategories: return 1;
    case effGetProgramNameIndexed:
        return getProgramNameIndexed(static_cast<VstInt32>(value), index, static_cast<char*>(ptr)) ? 1 : 0;
    case effCopyProgram: return copyProgram(index) ? 1 : 0;
    case effConnectInput:
    case effConnectOutput: return 1;
    case effGetOutputProperties: return getOutputProperties(index, static_cast<VstPinProperties*>(ptr)) ? 1 : 0;
    case effGetPlugCategory: return getPlugCategory();
    case effSetBlockSizeAndSampleRate: setBlockSizeAndSampleRate(static_cast<VstInt32>(value), opt); return 1;
    case effGetEffectName: return getEffectName(static_cast<char*>(ptr)) ? 1 : 0;
    case effGetVendorString: return getVendorString(static_cast<char*>(ptr)) ? 1 : 0;
    case effGetProductString: return getProductString(static_cast<char*>(ptr)) ? 1 : 0;
    case effGetVendorVersion: return getVendorVersion();
    case effCanDo: return canDo(static_cast<const char*>(ptr));
    case effKeysRequired: return 1;
    case effGetVstVersion: return kVstVersion;
    case effGetCurrentMidiProgram: return -1;
    case effGetSpeakerArrangement:
        if (value != 0) *reinterpret_cast<void**>(value) = nullptr;
        if (ptr != nullptr) *static_cast<void**>(ptr) = nullptr;
        return 0;
    case effEditKeyDown: return editorKey(true, index, value, opt);
    case effEditKeyUp: return editorKey(false, index, value, opt);
    case effSetEditKnobMode: return editor_ ? editor_->setKnobMode(static_cast<int>(value)) : 0;
    case effSetTotalSampleToProcess: return value;
    case effVendorSpecific:
        if (index == kScaleMessageIndex && value == kScaleMessageValue && editor_) {
            editor_->requestScale(opt);
            return 1;
        }
        return 0;
    default: return 0;
    }
}

// The host's key: character in index, virtual key in value, modifiers in opt.
VstIntPtr EffectShell::editorKey(bool down, VstInt32 index, VstIntPtr value, float opt) {
    if (!editor_) return 0;
    VstKeyCode key{};
    key.character = index;
    key.virt = static_cast<unsigned char>(value);
    key.modifier = static_cast<unsigned char>(truncToInt(opt));
    return down ? editor_->onKeyDown(key) : editor_->onKeyUp(key);
}

}  // namespace velora
