// SPDX-License-Identifier: MIT
#pragma once
// What the editor needs of the plug-in instance, and nothing more: the
// parameters, the voice limit, the MIDI-learn state, the host's edit brackets
// and idle call. The instance implements it; tests can drive the editor
// through a stand-in.
#include <cstdint>

namespace velora::editor {

class EditorHost {
public:
    virtual ~EditorHost() = default;

    virtual float getParameter(std::int32_t index) = 0;
    // Sets a parameter without telling the host.
    virtual void setParameter(std::int32_t index, float value) = 0;
    // Sets a parameter and tells the host (a control the user moved).
    virtual void setParameterAutomated(std::int32_t index, float value) = 0;
    // At most 63 characters and the terminator.
    virtual void getParameterDisplay(std::int32_t index, char (&text)[64]) = 0;
    // Typed text for a parameter; true when the value was accepted and set.
    virtual bool string2parameter(std::int32_t index, const char* text) = 0;
    // The number of voices the voice-limit parameter allows.
    virtual int voiceLimit() = 0;
    virtual bool isLearning() = 0;
    virtual int getLearnTarget() = 0;
    virtual void beginEdit(std::int32_t index) = 0;
    virtual void endEdit(std::int32_t index) = 0;
    // Gives the host time while a control is held (its idle call).
    virtual void hostIdle() = 0;
    // Asks the host to resize the editor's window to the given size; false
    // when it cannot.
    virtual bool resizeWindow(int /*width*/, int /*height*/) { return false; }
};

}  // namespace velora::editor
