// SPDX-License-Identifier: MIT
// The DSP binary's entry point: one descriptor, its state interface, and the
// calls forwarded to the instance. Nothing may unwind into the host.
#include <string_view>

#include "lv2/core/lv2.h"
#include "lv2/port_table.h"
#include "lv2/state/state.h"
#include "lv2/synth_plugin.h"

namespace {

using velora::lv2::SynthPlugin;

SynthPlugin* self(LV2_Handle handle) { return static_cast<SynthPlugin*>(handle); }

LV2_Handle instantiate(const LV2_Descriptor*, double rate, const char*, const LV2_Feature* const* features) {
    return SynthPlugin::create(rate, features);
}

void connectPort(LV2_Handle handle, uint32_t port, void* data) {
    if (handle != nullptr) self(handle)->connect(port, data);
}

void activate(LV2_Handle handle) {
    if (handle != nullptr) self(handle)->activate();
}

void run(LV2_Handle handle, uint32_t frames) {
    if (handle != nullptr) self(handle)->run(frames);
}

void deactivate(LV2_Handle handle) {
    if (handle != nullptr) self(handle)->deactivate();
}

void cleanup(LV2_Handle handle) noexcept { delete self(handle); }

LV2_State_Status save(LV2_Handle handle, LV2_State_Store_Function store, LV2_State_Handle state, uint32_t,
                      const LV2_Feature* const*) {
    return handle != nullptr ? self(handle)->save(store, state) : LV2_STATE_ERR_UNKNOWN;
}

LV2_State_Status restore(LV2_Handle handle, LV2_State_Retrieve_Function retrieve, LV2_State_Handle state, uint32_t,
                         const LV2_Feature* const*) {
    return handle != nullptr ? self(handle)->restore(retrieve, state) : LV2_STATE_ERR_UNKNOWN;
}

const LV2_State_Interface kState = {save, restore};

const void* extensionData(const char* uri) {
    return uri != nullptr && std::string_view(uri) == LV2_STATE__interface ? &kState : nullptr;
}

const LV2_Descriptor kDescriptor = {
    velora::lv2::kPluginUri, instantiate, connectPort, activate, run, deactivate, cleanup, extensionData};

}  // namespace

extern "C" LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index) {
    return index == 0 ? &kDescriptor : nullptr;
}
