// SPDX-License-Identifier: MIT
#pragma once
// The editor's instance as the LV2 user interface sees it: the LV2 plug-in
// runs elsewhere (another binary, maybe another process), so the values are
// mirrored from the host's port events and the plug-in's notify messages,
// texts come from the shell's formatters, and what the user does goes back
// as port writes inside touch gestures.
//
// Threads: the host makes every user-interface call on one thread, so the
// mirror is plain data.
#include <cstdint>
#include <string>

#include "core/param_id.h"
#include "editor/editor_host.h"
#include "midi/midi_learn.h"
#include "shell/parameter_display.h"

namespace velora::editor {
class SynthEditor;
}

namespace velora::lv2 {

// Where the user's moves go: the host's write function and touch feature.
class PortSink {
public:
    virtual ~PortSink() = default;
    // A control port's new value in the float protocol.
    virtual void writePort(std::uint32_t port, float value) = 0;
    // The user grabbed (true) or let go of (false) the control of a port.
    virtual void touchPort(std::uint32_t port, bool grabbed) = 0;
    // Asks the host to resize the editor's window; false where it cannot.
    virtual bool resizeEditor(int /*width*/, int /*height*/) { return false; }
};

// The voice-limit port counts voices (1..127, rounded to the nearest); the
// parameter is the fraction whose 127-fold truncates to the count.
int voicesOfPortValue(float value);
int voicesOfParameter(float value);
float parameterOfVoices(int voices);

class UiMirror final : public editor::EditorHost, private StoredValues {
public:
    // Starts with the init program's values, as the ports' defaults are.
    explicit UiMirror(PortSink& sink);

    // The editor to tell of every change; null detaches.
    void attach(editor::SynthEditor* editor) { editor_ = editor; }

    // A control port's value from the host. NaN and other ports are ignored;
    // values outside the port's range are clamped into it.
    void portValue(std::uint32_t port, float value);
    // A value the plug-in reports, with its display text (may be null).
    void pluginValue(std::uint32_t port, float value, const char* display);
    // The learn state as the plug-in reports it; target -1 for none.
    void learnState(bool learning, int target);
    // Hosts hand over every port's value right after the interface is made;
    // those values reach the controls at the first idle, without a status
    // text, as they would have been there at opening.
    void endOpening();

    float getParameter(std::int32_t index) override;
    void setParameter(std::int32_t index, float value) override;
    void setParameterAutomated(std::int32_t index, float value) override;
    void getParameterDisplay(std::int32_t index, char (&text)[64]) override;
    bool string2parameter(std::int32_t index, const char* text) override;
    int voiceLimit() override { return voices_; }
    bool isLearning() override { return learn_.isLearning(); }
    int getLearnTarget() override { return learn_.getLearnTarget(); }
    void beginEdit(std::int32_t index) override;
    void endEdit(std::int32_t index) override;
    void hostIdle() override {}
    bool resizeWindow(int width, int height) override { return sink_.resizeEditor(width, height); }

private:
    float stored(std::int32_t index) const override;
    // When the editor hears of a change: a user's move always shows its
    // status, the host's and the plug-in's only when the value moved.
    enum class Tell { Every, WhenMoved };
    // Stores a value as the instance would and tells the editor; false when
    // the value is ignored.
    bool change(std::int32_t index, float value, Tell tell);
    void writeThrough(std::int32_t index);

    PortSink& sink_;
    editor::SynthEditor* editor_ = nullptr;
    float values_[kParamCount] = {};
    int voices_ = 1;
    MidiLearn learn_;
    bool opening_ = true;
    std::int32_t held_ = -1;  // the parameter whose control the user holds
    // The plug-in's text of the value changed last, while it still holds.
    std::int32_t textIndex_ = -1;
    float textValue_ = 0.0f;
    std::string text_;
};

}  // namespace velora::lv2
