// SPDX-License-Identifier: MIT
#pragma once
// The plug-in's editor: a 384 x 410 frame (at 100 %; 150 % and 200 % scale
// every geometry) with the 56 controls of the
// control table, the status text that shows the value last touched or
// changed (or the MIDI-learn prompt), the voice-limit steppers and typed
// values.
//
// Threads: everything runs on the host's GUI thread except parameterChanged,
// which runs wherever the instance's parameters are set (the audio thread
// too). It touches nothing that a close could delete: it leaves the changed
// parameters, the status text and the update flag in race-free mailboxes of
// the editor, and the GUI thread moves them onto the controls at its next
// idle (or at once, when the change came from a control).
#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>

#include "editor/control_layout.h"
#include "editor/editor_host.h"
#include "editor/scaled_layout.h"
#include "editor/size_menu.h"
#include "editor/touch_controls.h"
#include "gui/frame.h"
#include "gui/shared_text.h"
#include "gui/text_field.h"
#include "vst/aeffect.h"

namespace velora::editor {

class SynthEditor final : public gui::ValueListener, public gui::FrameOwner, private TouchListener {
public:
    // Without a window system the editor exists but cannot open.
    SynthEditor(EditorHost& host, gui::Platform* platform);
    ~SynthEditor() override;
    SynthEditor(const SynthEditor&) = delete;
    SynthEditor& operator=(const SynthEditor&) = delete;

    // The host's editor requests.
    // Hands out the editor's rectangle (0, 0, 410, 384 at 100 %); 0 for a
    // null out.
    int getRect(vst::ERect** out);
    // Builds the window and its controls in the host's window; 1 when it
    // stands, 0 without a window system or parent, or when it cannot be made.
    // An open window is closed first.
    int open(void* parentWindow);
    void close();
    void idle();
    // -1 while closed or when no control takes the key.
    int onKeyDown(const vst::VstKeyCode& key);
    int onKeyUp(const vst::VstKeyCode& key);
    // The knob mode of every editor in the process; answers 1.
    int setKnobMode(int mode);
    void postUpdate() { updateFlag_.store(true, std::memory_order_relaxed); }

    // Any thread: the instance set a parameter.
    void parameterChanged(std::int32_t index, float value);
    // Any thread: any parameter may have changed (a host handing over all
    // values at once); the controls follow, the status text stays.
    void parametersReloaded();

    // Controls and the frame report here (GUI thread).
    void valueChanged(gui::Canvas* canvas, gui::Control* control) override;
    void beginEdit(std::int32_t tag) override { host_.beginEdit(tag); }
    void endEdit(std::int32_t tag) override { host_.endEdit(tag); }
    void idleDuringDrag() override;
    int knobMode() const override;

    // Who sizes the editor: the user's remembered choice wins over the
    // host's request, which wins over the system's setting. The host asks
    // with any factor (the nearest offered size is taken); an open window is
    // rebuilt at the new size when the host can resize its own, else the new
    // size waits for the next open and the status text says so.
    void requestScale(double factor);
    void chooseScale(gui::Scale scale);
    // The size of the open window, or of the next one.
    gui::Scale scale() const { return scale_; }
    // The size menu while it shows.
    SizeMenu* sizeMenu() const { return menu_.get(); }

    // Chooses the window system for later opens; ignored while open.
    void usePlatform(gui::Platform* platform);
    // Later opens make this build's native window system when the editor has
    // none; where none can be made yet (no X server), the next open tries again.
    void useNativePlatform() { wantsNative_ = true; }

    // GUI thread, for inspection.
    bool isOpen() const { return frame_ != nullptr; }
    gui::Frame* frame() const { return frame_.get(); }
    // The control of a table row; null while closed.
    gui::Control* control(int row) const;
    gui::TextField* statusField() const { return statusField_; }
    std::int32_t lastTouchedParam() const { return lastTouchedParam_; }
    bool updatePending() const { return updateFlag_.load(std::memory_order_relaxed); }

private:
    void touched(gui::Control& control) override;
    void pressedOutsideViews(gui::Canvas& canvas, gui::Point where) override;
    void menuClosed(std::optional<gui::Scale> choice);
    gui::Scale wantedScale(void* parentWindow);
    void setScale(gui::Scale scale);
    // Brings the window to the wanted size where the host lets it.
    void applyWantedScale();
    void build(void* parentWindow);
    gui::Control* makeControl(const ControlRow& row, gui::Bitmap* background);
    gui::Bitmap* loadShared(int id) const;
    void stepVoiceLimit(const gui::Control& control, int direction);
    void showStatus(const char* text);
    // The display text of a parameter, or the learn prompt while learning.
    void showStatusOf(std::int32_t index);
    // Moves what parameterChanged left onto the controls and the status field.
    void applyPending();
    // idle without the re-entry guard and the deferred close.
    void idlePass();
    int forwardKey(const vst::VstKeyCode& key, bool down);

    EditorHost& host_;
    gui::Platform* platform_;
    std::unique_ptr<gui::Platform> nativePlatform_;  // outlives the frame below
    bool wantsNative_ = false;
    vst::ERect rect_{0, 0, kFrameHeight, kFrameWidth};
    gui::Scale scale_ = gui::Scale::x100;
    std::optional<gui::Scale> hostScale_;
    std::optional<gui::Scale> userScale_;
    bool rescalePending_ = false;  // a size chosen in the menu, applied at idle
    std::unique_ptr<SizeMenu> menu_;
    std::unique_ptr<SizeMenu> retiredMenu_;  // closed inside its own press
    std::int32_t lastTouchedParam_ = -1;

    std::unique_ptr<gui::Frame> frame_;
    std::array<gui::Control*, kControlCount> controls_{};
    gui::TextField* statusField_ = nullptr;
    std::array<gui::Bitmap*, kSharedBitmaps.size()> shared_{};  // during open only

    // Mailboxes from parameterChanged to the GUI thread.
    std::atomic<bool> accepting_{false};
    std::array<std::atomic<std::uint32_t>, 4> changed_{};  // one bit per parameter
    gui::SharedText status_;
    std::atomic<bool> statusPending_{false};
    std::atomic<bool> updateFlag_{false};

    bool ownsThreadOle_ = false;  // this editor initialised OLE for its thread
    std::uint32_t nextIdleTicks_ = 0;
    bool inIdlePass_ = false;
    bool closePending_ = false;  // a close asked for during the host's idle call
};

}  // namespace velora::editor
