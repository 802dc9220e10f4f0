// SPDX-License-Identifier: MIT
#include "editor/synth_editor.h"

#include <bit>
#include <cstdio>
#include <cstring>
#include <new>

#include "core/log.h"
#include "core/midi_scale.h"
#include "editor/native_platform.h"
#include "editor/scale_setting.h"
#include "gui/momentary_button.h"
#include "gui/platform/thread_ole.h"
#include "gui/toggle_button.h"

namespace velora::editor {
namespace {

// The knob mode is one setting of the whole module, as hosts expect.
std::atomic<int> processKnobMode{0};

// Tick counts wrap after 49 days; compare them by their difference.
bool earlier(std::uint32_t a, std::uint32_t b) { return static_cast<std::int32_t>(a - b) < 0; }

bool isParameterControl(ControlKind kind) { return kind != ControlKind::StatusField && kind != ControlKind::Momentary; }

bool isShared(std::int32_t id) {
    for (std::int32_t shared : kSharedBitmaps)
        if (shared == id) return true;
    return false;
}

// The editor's own reference to a bitmap, given back when it goes.
struct HeldBitmap {
    gui::Bitmap* bitmap = nullptr;
    HeldBitmap() = default;
    HeldBitmap(const HeldBitmap&) = delete;
    HeldBitmap& operator=(const HeldBitmap&) = delete;
    ~HeldBitmap() {
        if (bitmap) bitmap->release();
    }
};

}  // namespace

SynthEditor::SynthEditor(EditorHost& host, gui::Platform* platform)
    : host_(host), platform_(nullptr), ownsThreadOle_(gui::initialiseThreadOle()) {
    usePlatform(platform);
}

SynthEditor::~SynthEditor() {
    close();
    if (ownsThreadOle_) gui::releaseThreadOle();
}

void SynthEditor::usePlatform(gui::Platform* platform) {
    if (frame_) return;
    platform_ = platform;
    nextIdleTicks_ = platform_ ? platform_->tickCount() : 0;
}

int SynthEditor::getRect(vst::ERect** out) {
    if (!out) return 0;
    if (!frame_) {
        // Hosts ask before the open to size their window.
        if (!platform_ && wantsNative_) {
            nativePlatform_ = makeNativePlatform();
            usePlatform(nativePlatform_.get());
        }
        setScale(wantedScale(nullptr));
    }
    *out = &rect_;
    return 1;
}

// ---- open and close -----------------------------------------------------------

int SynthEditor::open(void* parentWindow) {
    if (inIdlePass_) return 0;  // a control is held: its frame must stay
    if (frame_) close();
    closePending_ = false;
    if (!platform_ && wantsNative_ && parentWindow) {
        nativePlatform_ = makeNativePlatform();
        usePlatform(nativePlatform_.get());
    }
    if (!parentWindow) {
        log::say("editor: the host asked to open the editor without a parent window");
        return 0;
    }
    if (!platform_) {
        log::say("editor: no window system to open the editor on (see the line before)");
        return 0;
    }
    setScale(wantedScale(parentWindow));
    postUpdate();
    bool built = true;
    try {
        build(parentWindow);
    } catch (...) {  // out of memory while building: nothing stays half made
        built = false;
        log::say("editor: out of memory while building the editor");
    }
    shared_.fill(nullptr);  // given back by build in every case
    if (!built || !frame_ || !frame_->isOpen()) {
        if (built) log::say("editor: its window could not be made (see the line before)");
        close();
        return 0;
    }
    return 1;
}

gui::Bitmap* SynthEditor::loadShared(int id) const {
    for (std::size_t i = 0; i < kSharedBitmaps.size(); ++i)
        if (kSharedBitmaps[i] == id) return shared_[i];
    return nullptr;
}

void SynthEditor::build(void* parentWindow) {
    gui::Platform& system = *platform_;
    // Step 2: the bitmaps several controls share, held until the end.
    std::array<HeldBitmap, kSharedBitmaps.size()> held;
    // A build without the larger artwork opens at 100 %.
    if (scale_ != gui::Scale::x100) {
        gui::Bitmap* probe = gui::Bitmap::load(system, scaledBitmapId(kBackgroundBitmap, scale_));
        const bool drawn = probe->width() > 0;
        probe->release();
        if (!drawn) setScale(gui::Scale::x100);
    }
    for (std::size_t i = 0; i < kSharedBitmaps.size(); ++i)
        shared_[i] = held[i].bitmap = gui::Bitmap::load(system, scaledBitmapId(kSharedBitmaps[i], scale_));
    loadShared(kKnobBodyBitmap)->setTransparentColour(gui::kMagenta);
    loadShared(kKnobDotBitmap)->setTransparentColour(gui::kMagenta);

    // Step 3: the frame, as large as its background (the fixed size when the
    // background is missing).
    gui::Bitmap* background = loadShared(kBackgroundBitmap);
    const bool sized = background->width() > 0 && background->height() > 0;
    const gui::Rect fixed = frameRect(scale_);
    const gui::Rect size{0, 0, sized ? background->width() : fixed.right, sized ? background->height() : fixed.bottom};
    frame_ = std::make_unique<gui::Frame>(size, parentWindow, this, system);
    if (!frame_->isOpen()) return;
    frame_->setBackground(background);

    // From here on, changes made anywhere reach the controls read below.
    for (auto& word : changed_) word.store(0, std::memory_order_relaxed);
    statusPending_.store(false, std::memory_order_relaxed);
    accepting_.store(true, std::memory_order_release);

    // Steps 4 and 5: the controls in table order, each showing its value.
    for (std::size_t i = 0; i < kControlTable.size(); ++i) {
        const ControlRow row = scaledRow(kControlTable[i], scale_);
        HeldBitmap own;
        gui::Bitmap* bitmap = nullptr;
        if (row.bitmap != 0) {
            if (isShared(row.bitmap)) {
                bitmap = loadShared(row.bitmap);
            } else {
                bitmap = own.bitmap = gui::Bitmap::load(system, scaledBitmapId(row.bitmap, scale_));
            }
        }
        std::unique_ptr<gui::Control> made(makeControl(row, bitmap));
        gui::Control* control = made.get();
        frame_->addView(control);
        made.release();  // the frame owns it now
        controls_[i] = control;
        if (row.kind == ControlKind::StatusField) statusField_ = static_cast<gui::TextField*>(control);
        if (isParameterControl(row.kind)) control->setValue(host_.getParameter(row.tag));
    }
    // Step 6: leaving, `held` gives the editor's references back.
}

gui::Control* SynthEditor::makeControl(const ControlRow& row, gui::Bitmap* background) {
    TouchListener& toucher = *this;
    switch (row.kind) {
    case ControlKind::StatusField: {
        auto field =
            std::make_unique<gui::TextField>(row.rect, this, row.tag, "", nullptr, gui::ValueDisplay::kInset3D);
        field->setFont(6);
        field->setFontColour(gui::kWhite);
        field->setBackColour(gui::kBlack);
        field->setFrameColour(gui::kBlack);
        field->setAlignment(gui::kAlignCentre);
        field->setTextScale(scale_);
        return field.release();
    }
    case ControlKind::VerticalSlider:
    case ControlKind::HorizontalSlider: {
        const int style = row.kind == ControlKind::VerticalSlider ? gui::Slider::kVertical | gui::Slider::kBottom
                                                                  : gui::Slider::kHorizontal | gui::Slider::kLeft;
        auto slider = std::make_unique<TouchSlider>(toucher, row.rect, this, row.tag, row.travelMin, row.travelMax,
                                                    loadShared(kHandleBitmap), background, gui::Point{0, 0}, style);
        slider->setHandleOffset(row.handleOffset);
        slider->setTransparentHandle(false);
        slider->setJumpToClick(false);
        return slider.release();
    }
    case ControlKind::Knob: {
        auto knob = std::make_unique<TouchKnob>(toucher, row.rect, this, row.tag, background,
                                                loadShared(kKnobDotBitmap), gui::Point{0, 0});
        knob->setTransparency(true);
        knob->setInset(gui::scaled(kKnobInset, scale_));
        knob->setPixelScale(gui::factorOf(scale_));
        return knob.release();
    }
    case ControlKind::Toggle: return new gui::ToggleButton(row.rect, this, row.tag, background);
    case ControlKind::Momentary:
        return new gui::MomentaryButton(row.rect, this, row.tag, gui::scaled(kMomentaryFrameHeight, scale_), background,
                                        gui::Point{0, 0});
    }
    return nullptr;
}

void SynthEditor::close() {
    // A host that closes the window from inside its idle call, while a
    // control is still held, finds the close done at its next idle: the
    // control's loop is still running on the frame.
    if (inIdlePass_) {
        closePending_ = true;
        return;
    }
    closePending_ = false;
    accepting_.store(false, std::memory_order_release);
    statusField_ = nullptr;
    controls_.fill(nullptr);
    frame_.reset();
    menu_.reset();
    retiredMenu_.reset();
}

gui::Control* SynthEditor::control(int row) const {
    return row >= 0 && row < kControlCount ? controls_[static_cast<std::size_t>(row)] : nullptr;
}

// ---- idle -----------------------------------------------------------------------

void SynthEditor::idle() {
    if (inIdlePass_) return;
    if (closePending_) {
        close();
        return;
    }
    retiredMenu_.reset();
    if (rescalePending_) {
        rescalePending_ = false;
        applyWantedScale();
    }
    try {
        idlePass();
    } catch (...) {  // out of memory while drawing: the next idle tries again
    }
}

void SynthEditor::idlePass() {
    applyPending();
    if (updateFlag_.exchange(false, std::memory_order_relaxed)) {
        // Nothing beyond the controls needs refreshing in this editor.
    }
    if (!frame_) return;
    platform_->processEvents();
    if (frame_) frame_->idle();
}

void SynthEditor::idleDuringDrag() {
    if (!platform_) return;
    std::uint32_t now = platform_->tickCount();
    if (earlier(now, nextIdleTicks_)) {
        platform_->sleep(4);
        now += 4;
        if (earlier(now, nextIdleTicks_ - 50)) return;
    }
    idlePass();
    platform_->dispatchOnePaint();
    nextIdleTicks_ = now + 100;
    inIdlePass_ = true;
    host_.hostIdle();
    inIdlePass_ = false;
}

// ---- keys and knob mode -------------------------------------------------------------

int SynthEditor::forwardKey(const vst::VstKeyCode& key, bool down) {
    if (!frame_) return -1;
    const gui::KeyCode code{key.character, key.virt, key.modifier};
    try {
        const int result = down ? frame_->onKeyDown(code) : frame_->onKeyUp(code);
        applyPending();
        return result;
    } catch (...) {  // nothing may unwind into the host
        return -1;
    }
}

int SynthEditor::onKeyDown(const vst::VstKeyCode& key) { return forwardKey(key, true); }
int SynthEditor::onKeyUp(const vst::VstKeyCode& key) { return forwardKey(key, false); }

int SynthEditor::setKnobMode(int mode) {
    processKnobMode.store(mode, std::memory_order_relaxed);
    return 1;
}

int SynthEditor::knobMode() const { return processKnobMode.load(std::memory_order_relaxed); }

// ---- parameter changes -----------------------------------------------------------

void SynthEditor::parameterChanged(std::int32_t index, float) {
    if (!accepting_.load(std::memory_order_acquire)) return;
    if (rowOfParameter(index) >= 0) {
        const auto bit = static_cast<std::uint32_t>(index);
        changed_[bit / 32].fetch_or(1u << (bit % 32), std::memory_order_release);
    }
    showStatusOf(index);
    postUpdate();
}

void SynthEditor::parametersReloaded() {
    if (!accepting_.load(std::memory_order_acquire)) return;
    for (std::int32_t index = 0; index < kParamCount; ++index)
        if (rowOfParameter(index) >= 0) {
            const auto bit = static_cast<std::uint32_t>(index);
            changed_[bit / 32].fetch_or(1u << (bit % 32), std::memory_order_release);
        }
    postUpdate();
}

void SynthEditor::showStatusOf(std::int32_t index) {
    char text[64] = {};
    host_.getParameterDisplay(index, text);
    // While learning waits, its prompt stays until learning moves on.
    if (host_.isLearning()) std::strcpy(text, host_.getLearnTarget() == kNoParam ? "MoveParam" : "MoveCC");
    showStatus(text);
}

void SynthEditor::showStatus(const char* text) {
    status_.store(text);
    statusPending_.store(true, std::memory_order_release);
}

void SynthEditor::applyPending() {
    if (!frame_) return;
    for (std::size_t word = 0; word < changed_.size(); ++word) {
        std::uint32_t bits = changed_[word].exchange(0, std::memory_order_acquire);
        while (bits != 0) {
            const int bit = std::countr_zero(bits);
            bits &= bits - 1;
            const auto index = static_cast<std::int32_t>(word * 32 + static_cast<std::size_t>(bit));
            // The value read back from the instance, not the one asked for.
            if (gui::Control* shown = control(rowOfParameter(index))) shown->setValue(host_.getParameter(index));
        }
    }
    if (statusField_ && statusPending_.exchange(false, std::memory_order_acquire)) {
        gui::SharedText::Buffer text;
        if (status_.load(text))
            statusField_->setText(text);
        else
            statusPending_.store(true, std::memory_order_relaxed);  // writers kept overlapping: next time
    }
}

// ---- what the controls report ------------------------------------------------------

void SynthEditor::touched(gui::Control& control) {
    lastTouchedParam_ = control.getTag();
    showStatusOf(lastTouchedParam_);
    applyPending();
}

void SynthEditor::valueChanged(gui::Canvas*, gui::Control* control) {
    if (!control) return;
    switch (control->getTag()) {
    case kStatusTag:
        if (lastTouchedParam_ != -1 && control == statusField_)
            host_.string2parameter(lastTouchedParam_, statusField_->text().c_str());
        break;
    case kVoiceUpTag: stepVoiceLimit(*control, +1); break;
    case kVoiceDownTag: stepVoiceLimit(*control, -1); break;
    default: host_.setParameterAutomated(control->getTag(), control->getValue()); break;
    }
    applyPending();
}

// The offsets make the instance's truncation of value x 127 land exactly one
// step up or down. The host is not told: the voice limit is no host
// parameter of the editor.
void SynthEditor::stepVoiceLimit(const gui::Control& control, int direction) {
    if (control.getValue() != 1.0f) return;  // the release
    const int count = host_.voiceLimit();
    if (direction > 0 && count < 127)
        host_.setParameter(kParamVoiceLimit, (static_cast<float>(count) + 1.0001f) * kPerMidiValue);
    if (direction < 0 && count > 1)
        host_.setParameter(kParamVoiceLimit, (static_cast<float>(count) - 0.0009f) * kPerMidiValue);
    char text[64] = {};
    host_.getParameterDisplay(kParamVoiceLimit, text);
    showStatus(text);
}

// ---- size -------------------------------------------------------------------------

gui::Scale SynthEditor::wantedScale(void* parentWindow) {
    if (!userScale_) userScale_ = loadScaleSetting();
    if (userScale_) return *userScale_;
    if (hostScale_) return *hostScale_;
    const double system = platform_ ? platform_->systemScaleFactor(parentWindow) : 0.0;
    return system > 0.0 ? gui::nearestScale(system) : gui::Scale::x100;
}

void SynthEditor::setScale(gui::Scale scale) {
    scale_ = scale;
    const gui::Rect size = frameRect(scale);
    rect_ = {0, 0, static_cast<std::int16_t>(size.bottom), static_cast<std::int16_t>(size.right)};
}

void SynthEditor::requestScale(double factor) {
    hostScale_ = gui::nearestScale(factor);
    if (inIdlePass_)
        rescalePending_ = true;
    else
        applyWantedScale();
}

void SynthEditor::chooseScale(gui::Scale scale) {
    userScale_ = scale;
    if (!saveScaleSetting(scale)) log::say("editor: the chosen size could not be remembered");
    applyWantedScale();
}

void SynthEditor::applyWantedScale() {
    void* parent = frame_ ? frame_->parentWindow() : nullptr;
    const gui::Scale wanted = wantedScale(parent);
    if (!frame_ || !parent) {
        if (!frame_) setScale(wanted);
        return;
    }
    if (wanted == scale_) return;
    const gui::Rect size = frameRect(wanted);
    if (!host_.resizeWindow(size.width(), size.height())) {
        char text[48];
        // The field is narrow: the shortest words that say it.
        std::snprintf(text, sizeof text, "%d%% later", gui::percentOf(wanted));
        showStatus(text);
        applyPending();
        return;
    }
    close();
    open(parent);
}

void SynthEditor::pressedOutsideViews(gui::Canvas&, gui::Point where) {
    constexpr int kTitleStripHeight = 19;
    if (!frame_ || !(platform_->buttonWord() & gui::kRightButton)) return;
    if (where.v < 0 || where.v >= gui::scaled(kTitleStripHeight, scale_)) return;
    menu_ = std::make_unique<SizeMenu>(where, frameRect(scale_), scale_, scale_,
                                       [this](std::optional<gui::Scale> choice) { menuClosed(choice); });
    menu_->setDirty(true);
    frame_->setModalView(menu_.get());
}

void SynthEditor::menuClosed(std::optional<gui::Scale> choice) {
    if (frame_) {
        frame_->setModalView(nullptr);
        frame_->setDirty(true);  // the panel under the menu comes back
    }
    retiredMenu_ = std::move(menu_);
    if (!choice) return;
    userScale_ = *choice;
    if (!saveScaleSetting(*choice)) log::say("editor: the chosen size could not be remembered");
    rescalePending_ = true;  // the frame is still serving this press
}

}  // namespace velora::editor
