// SPDX-License-Identifier: MIT
#include "shell/editor_bridge.h"

#include <cstring>

#include "core/numeric.h"
#include "shell/synth_effect.h"

namespace velora {

float EditorBridge::getParameter(std::int32_t index) { return effect_.getParameter(index); }

void EditorBridge::setParameter(std::int32_t index, float value) { effect_.setParameter(index, value); }

void EditorBridge::setParameterAutomated(std::int32_t index, float value) {
    effect_.setParameterAutomated(index, value);
}

void EditorBridge::getParameterDisplay(std::int32_t index, char (&text)[64]) {
    text[0] = '\0';
    effect_.getParameterDisplay(index, text);
    text[sizeof text - 1] = '\0';
}

bool EditorBridge::string2parameter(std::int32_t index, const char* text) {
    if (text == nullptr) return false;
    char copy[256];
    std::strncpy(copy, text, sizeof copy - 1);
    copy[sizeof copy - 1] = '\0';
    return effect_.string2parameter(index, copy);
}

// The count the engine uses: the integer part of 127 x value, in double.
int EditorBridge::voiceLimit() {
    return truncToInt(127.0 * static_cast<double>(effect_.getParameter(kParamVoiceLimit)));
}

bool EditorBridge::isLearning() { return effect_.isLearning(); }
int EditorBridge::getLearnTarget() { return effect_.getLearnTarget(); }
void EditorBridge::beginEdit(std::int32_t index) { effect_.beginEdit(index); }
void EditorBridge::endEdit(std::int32_t index) { effect_.endEdit(index); }
void EditorBridge::hostIdle() { effect_.hostIdle(); }

bool EditorBridge::resizeWindow(int width, int height) { return effect_.sizeWindow(width, height); }

}  // namespace velora
