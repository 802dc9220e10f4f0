// SPDX-License-Identifier: MIT
#include "lv2/ui_mirror.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/midi_scale.h"
#include "core/numeric.h"
#include "editor/synth_editor.h"
#include "lv2/port_table.h"
#include "lv2/port_values.h"
#include "programs/program.h"
#include "shell/parameter_table.h"
#include "shell/parameter_text.h"

namespace velora::lv2 {
namespace {

constexpr float kFlushBelow = 1e-24f;

// The value the instance keeps for a value set (the tempo-sync switch may
// be on: an LV2 host sends its tempo).
float storedValue(const ParamInfo& info, float value) {
    switch (info.store) {
    case StoreRule::Switch:
    case StoreRule::TempoSync: return value != 0.0f ? 1.0f : 0.0f;
    case StoreRule::FlushTiny: return std::fabs(value) < kFlushBelow ? 0.0f : value;
    case StoreRule::Raw: break;
    }
    return value;
}

}  // namespace

// The voice count as the plug-in's port reads it (port_values.h), so both
// binaries round and clamp alike.
int voicesOfPortValue(float value) {
    float voices = kMinVoices;
    portValueInRange(kParamVoiceLimit, value, voices);
    return static_cast<int>(voices);
}

int voicesOfParameter(float value) {
    if (!std::isfinite(value)) return static_cast<int>(kMinVoices);
    return static_cast<int>(portFromParameter(kParamVoiceLimit, std::clamp(value, 0.0f, 1.0f)));
}

float parameterOfVoices(int voices) { return parameterFromPort(kParamVoiceLimit, static_cast<float>(voices)); }

UiMirror::UiMirror(PortSink& sink) : sink_(sink) {
    Program init;
    initProgram(init);
    for (const ControlPort& port : kControlPorts) {
        const ParamInfo& info = paramInfo(port.param);
        if (info.slot >= 0) values_[port.param] = storedValue(info, init.values[info.slot]);
    }
    voices_ = voicesOfParameter(values_[kParamVoiceLimit]);
    values_[kParamVoiceLimit] = parameterOfVoices(voices_);
}

void UiMirror::portValue(std::uint32_t port, float value) {
    const std::int32_t index = paramOfPort(port);
    if (index < 0 || std::isnan(value)) return;
    if (index == kParamVoiceLimit) value = parameterOfVoices(voicesOfPortValue(value));
    change(index, std::clamp(value, 0.0f, 1.0f), Tell::WhenMoved);
}

void UiMirror::pluginValue(std::uint32_t port, float value, const char* display) {
    const std::int32_t index = paramOfPort(port);
    if (index < 0 || std::isnan(value)) return;
    if (index == kParamVoiceLimit) value = parameterOfVoices(voicesOfPortValue(value));
    value = storedValue(paramInfo(index), std::clamp(value, 0.0f, 1.0f));
    // The text first: the editor reads it when told of the change.
    textIndex_ = display ? index : -1;
    textValue_ = value;
    text_ = display ? display : "";
    change(index, value, Tell::WhenMoved);
}

void UiMirror::learnState(bool learning, int target) {
    const bool wasLearning = learn_.isLearning();
    const int wasTarget = learn_.getLearnTarget();
    learn_.setArmed(learning);
    if (learning && target >= 0 && target < kParamCount) learn_.touch(target);
    // The status shows the prompt of the new state.
    const bool moved = learn_.isLearning() != wasLearning || learn_.getLearnTarget() != wasTarget;
    if (moved && editor_ && !opening_) editor_->parameterChanged(kParamMidiLearn, values_[kParamMidiLearn]);
}

void UiMirror::endOpening() {
    if (!opening_) return;
    opening_ = false;
    if (editor_) editor_->parametersReloaded();
}

bool UiMirror::change(std::int32_t index, float value, Tell tell) {
    if (index < 0 || index >= kParamCount || !std::isfinite(value)) return false;
    const ParamInfo& info = paramInfo(index);
    if (info.kind == ParamKind::Inert) return false;
    // Mirrors the instance's order: learning names the parameter, then the
    // learn switch itself acts.
    learn_.touch(index);
    const float before = values_[index];
    values_[index] = storedValue(info, value);
    if (index == kParamVoiceLimit) voices_ = voicesOfParameter(value);
    if (index == kParamMidiLearn) learn_.setArmed(values_[index] > 0.5f);
    // Any other change may change what the plug-in's text says.
    if (index != textIndex_ || values_[index] != textValue_) textIndex_ = -1;
    const bool moved = values_[index] != before;
    if (editor_ && !opening_ && (tell == Tell::Every || moved)) editor_->parameterChanged(index, values_[index]);
    return true;
}

float UiMirror::getParameter(std::int32_t index) { return index >= 0 && index < kParamCount ? values_[index] : 0.0f; }

float UiMirror::stored(std::int32_t index) const { return values_[index]; }

// A write outside a held control's gesture (a click on a switch, a typed
// value, a voice step) is a gesture of its own, so hosts record it too.
void UiMirror::writeThrough(std::int32_t index) {
    const std::int32_t port = portOfParam(index);
    if (port < 0) return;
    const float value = index == kParamVoiceLimit ? static_cast<float>(voices_) : values_[index];
    const bool ownGesture = held_ != index;
    if (ownGesture) sink_.touchPort(static_cast<std::uint32_t>(port), true);
    sink_.writePort(static_cast<std::uint32_t>(port), value);
    if (ownGesture) sink_.touchPort(static_cast<std::uint32_t>(port), false);
}

void UiMirror::setParameter(std::int32_t index, float value) {
    if (index == kParamVoiceLimit && std::isfinite(value)) value = parameterOfVoices(voicesOfParameter(value));
    if (change(index, value, Tell::Every)) writeThrough(index);
}

// The plug-in runs elsewhere: a move reaches it only as a port write, so
// both kinds of set write through.
void UiMirror::setParameterAutomated(std::int32_t index, float value) { setParameter(index, value); }

void UiMirror::getParameterDisplay(std::int32_t index, char (&text)[64]) {
    text[0] = '\0';
    if (index == textIndex_) {
        std::strncpy(text, text_.c_str(), sizeof text - 1);
        text[sizeof text - 1] = '\0';
        return;
    }
    formatParameterDisplay(index, *this, text);
}

bool UiMirror::string2parameter(std::int32_t index, const char* text) {
    if (text == nullptr || paramInfo(index).kind == ParamKind::Inert) return false;
    float value = 0.0f;
    if (!parameterFromText(index, text, value)) return false;
    setParameter(index, value);
    return true;
}

void UiMirror::beginEdit(std::int32_t index) {
    const std::int32_t port = portOfParam(index);
    if (port < 0) return;
    held_ = index;
    sink_.touchPort(static_cast<std::uint32_t>(port), true);
}

void UiMirror::endEdit(std::int32_t index) {
    const std::int32_t port = portOfParam(index);
    if (port < 0) return;
    if (held_ == index) held_ = -1;
    sink_.touchPort(static_cast<std::uint32_t>(port), false);
}

}  // namespace velora::lv2
