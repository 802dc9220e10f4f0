// SPDX-License-Identifier: MIT
#pragma once
// The instance as its editor sees it.
#include "editor/editor_host.h"

namespace velora {

class SynthEffect;

class EditorBridge final : public editor::EditorHost {
public:
    explicit EditorBridge(SynthEffect& effect) : effect_(effect) {}

    float getParameter(std::int32_t index) override;
    void setParameter(std::int32_t index, float value) override;
    void setParameterAutomated(std::int32_t index, float value) override;
    void getParameterDisplay(std::int32_t index, char (&text)[64]) override;
    bool string2parameter(std::int32_t index, const char* text) override;
    int voiceLimit() override;
    bool isLearning() override;
    int getLearnTarget() override;
    void beginEdit(std::int32_t index) override;
    void endEdit(std::int32_t index) override;
    void hostIdle() override;
    bool resizeWindow(int width, int height) override;

private:
    SynthEffect& effect_;
};

}  // namespace velora
