// SPDX-License-Identifier: MIT
// The LV2 user interface: the plug-in's editor in the host's X11 parent
// window, driven by the host's idle calls, on a mirror of the plug-in's
// values (the plug-in itself may run in another process).
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <optional>

#include "core/log.h"
#include "editor/synth_editor.h"
#include "gui/frame.h"
#include "gui/platform/x11/x11_window.h"
#include "lv2/notify_reader.h"
#include "lv2/port_table.h"
#include "lv2/ui/ui.h"
#include "lv2/ui_host_features.h"
#include "lv2/ui_mirror.h"
#include "lv2/urid/urid.h"

namespace velora::lv2 {
namespace {

class VeloraUi final : public PortSink {
public:
    VeloraUi(LV2UI_Write_Function write, LV2UI_Controller controller, const HostFeatures& features)
        : write_(write), controller_(controller), resize_(features.resize), touch_(features.touch), map_(features.map) {
        if (features.map && features.map->map) notify_.emplace(*features.map);
        mirror_.attach(&editor_);
        editor_.useNativePlatform();
        if (auto factor = hostScaleFactor(features.options, features.map)) editor_.requestScale(*factor);
    }
    ~VeloraUi() override {
        editor_.close();
        mirror_.attach(nullptr);
    }
    VeloraUi(const VeloraUi&) = delete;
    VeloraUi& operator=(const VeloraUi&) = delete;

    // True when the editor stands in the parent; the widget is its window.
    bool open(void* parent, LV2UI_Widget* widget) {
        if (editor_.open(parent) != 1) return false;
        const gui::Rect size = editor_.frame()->rect();
        if (auto* window = dynamic_cast<gui::x11::X11Window*>(editor_.frame()->window()))
            *widget = reinterpret_cast<LV2UI_Widget>(static_cast<std::uintptr_t>(window->id()));
        if (resize_ && resize_->ui_resize) resize_->ui_resize(resize_->handle, size.width(), size.height());
        askForEverything();
        return true;
    }

    void portEvent(std::uint32_t port, std::uint32_t size, std::uint32_t format, const void* buffer) {
        if (!buffer) return;
        if (format == 0) {
            if (size < sizeof(float)) return;
            float value;
            std::memcpy(&value, buffer, sizeof value);
            mirror_.portValue(port, value);
            return;
        }
        if (port == kPortNotify && notify_ && (format == notify_->eventTransfer() || format == notify_->atomTransfer()))
            notify_->read(buffer, size, mirror_);
    }

    // Zero while the editor stands; the host closes the interface otherwise.
    int idle() {
        mirror_.endOpening();
        editor_.idle();
        return editor_.isOpen() ? 0 : 1;
    }

    void writePort(std::uint32_t port, float value) override {
        if (write_) write_(controller_, port, sizeof value, 0, &value);
    }
    void touchPort(std::uint32_t port, bool grabbed) override {
        if (touch_ && touch_->touch) touch_->touch(touch_->handle, port, grabbed);
    }
    // The editor reopens at the new size in the same parent once the host
    // has taken the size; hosts without ui:resize see it at the next open.
    bool resizeEditor(int width, int height) override {
        return resize_ && resize_->ui_resize && resize_->ui_resize(resize_->handle, width, height) == 0;
    }

    // A host's later options (the options interface): a new scale factor.
    void setOptions(const LV2_Options_Option* options) {
        if (auto factor = hostScaleFactor(options, map_)) editor_.requestScale(*factor);
    }

private:
    // The plug-in answers with every value and the learn state.
    void askForEverything() {
        if (!notify_ || !write_) return;
        const NotifyReader::Request request = notify_->request();
        write_(controller_, kPortEventsIn, sizeof request, notify_->eventTransfer(), &request);
    }

    LV2UI_Write_Function write_;
    LV2UI_Controller controller_;
    const LV2UI_Resize* resize_;
    const LV2UI_Touch* touch_;
    const LV2_URID_Map* map_;
    std::optional<NotifyReader> notify_;
    UiMirror mirror_{*this};
    editor::SynthEditor editor_{mirror_, nullptr};
};

LV2UI_Handle instantiate(const LV2UI_Descriptor*, const char*, const char*, LV2UI_Write_Function write,
                         LV2UI_Controller controller, LV2UI_Widget* widget, const LV2_Feature* const* features) {
    try {
        const HostFeatures found = featuresOf(features);
        if (!found.parent || !widget) {
            log::say("lv2 ui: the host gave no parent window (ui:parent) to open the editor in");
            return nullptr;
        }
        auto ui = std::make_unique<VeloraUi>(write, controller, found);
        if (!ui->open(found.parent, widget)) return nullptr;
        return ui.release();
    } catch (...) {  // nothing may unwind into the host
        return nullptr;
    }
}

void cleanup(LV2UI_Handle handle) { delete static_cast<VeloraUi*>(handle); }

void portEvent(LV2UI_Handle handle, std::uint32_t port, std::uint32_t size, std::uint32_t format, const void* buffer) {
    try {
        if (handle) static_cast<VeloraUi*>(handle)->portEvent(port, size, format, buffer);
    } catch (...) {}
}

int idle(LV2UI_Handle handle) {
    try {
        return handle ? static_cast<VeloraUi*>(handle)->idle() : 1;
    } catch (...) {
        return 0;
    }
}

std::uint32_t getOptions(LV2_Handle, LV2_Options_Option*) { return LV2_OPTIONS_ERR_UNKNOWN; }

std::uint32_t setOptions(LV2_Handle handle, const LV2_Options_Option* options) {
    try {
        if (handle) static_cast<VeloraUi*>(handle)->setOptions(options);
    } catch (...) {}
    return LV2_OPTIONS_SUCCESS;
}

const void* extensionData(const char* uri) {
    static const LV2UI_Idle_Interface idleInterface{idle};
    static const LV2_Options_Interface optionsInterface{getOptions, setOptions};
    if (!uri) return nullptr;
    if (std::strcmp(uri, LV2_UI__idleInterface) == 0) return &idleInterface;
    if (std::strcmp(uri, LV2_OPTIONS__interface) == 0) return &optionsInterface;
    return nullptr;
}

}  // namespace
}  // namespace velora::lv2

extern "C" LV2_SYMBOL_EXPORT const LV2UI_Descriptor* lv2ui_descriptor(std::uint32_t index) {
    using namespace velora::lv2;
    static const LV2UI_Descriptor descriptor{kUiUri, instantiate, cleanup, portEvent, extensionData};
    return index == 0 ? &descriptor : nullptr;
}
