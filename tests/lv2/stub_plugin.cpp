// SPDX-License-Identifier: MIT
// A stand-in for the LV2 plug-in with the real port table and notify
// messages but no sound, so the user interface can be tested in a real host
// on its own: every control port value that changed is reported back as a
// patch:Set on the notify port, and a patch:Get is answered with all of them.
#include <cstdint>
#include <cstring>
#include <new>

#include "lv2/atom/forge.h"
#include "lv2/atom/util.h"
#include "lv2/core/lv2.h"
#include "lv2/notify_messages.h"
#include "lv2/port_table.h"
#include "lv2/urid/urid.h"

namespace {

using namespace velora::lv2;

struct Stub {
    LV2_URID_Map* map = nullptr;
    LV2_Atom_Forge forge{};
    LV2_URID patchGet = 0, patchSet = 0, patchProperty = 0, patchValue = 0, object = 0;
    LV2_URID keys[kControlPortCount] = {};
    const LV2_Atom_Sequence* in = nullptr;
    LV2_Atom_Sequence* notify = nullptr;
    float* audio[2] = {};
    const float* controls[kControlPortCount] = {};
    float last[kControlPortCount] = {};
    bool told[kControlPortCount] = {};
};

LV2_Handle instantiate(const LV2_Descriptor*, double, const char*, const LV2_Feature* const* features) {
    LV2_URID_Map* map = nullptr;
    for (auto* f = features; f && *f; ++f)
        if (std::strcmp((*f)->URI, LV2_URID__map) == 0) map = static_cast<LV2_URID_Map*>((*f)->data);
    if (!map) return nullptr;
    auto* stub = new (std::nothrow) Stub;
    if (!stub) return nullptr;
    stub->map = map;
    lv2_atom_forge_init(&stub->forge, map);
    auto id = [map](const char* uri) { return map->map(map->handle, uri); };
    stub->patchGet = id(LV2_PATCH__Get);
    stub->patchSet = id(LV2_PATCH__Set);
    stub->patchProperty = id(LV2_PATCH__property);
    stub->patchValue = id(LV2_PATCH__value);
    stub->object = id(LV2_ATOM__Object);
    for (std::uint32_t row = 0; row < kControlPortCount; ++row)
        stub->keys[row] = id(parameterUri(kControlPorts[row].symbol).c_str());
    return stub;
}

void connect(LV2_Handle handle, std::uint32_t port, void* data) {
    auto& stub = *static_cast<Stub*>(handle);
    if (port == kPortEventsIn) stub.in = static_cast<const LV2_Atom_Sequence*>(data);
    if (port == kPortNotify) stub.notify = static_cast<LV2_Atom_Sequence*>(data);
    if (port == kPortAudioLeft || port == kPortAudioRight)
        stub.audio[port - kPortAudioLeft] = static_cast<float*>(data);
    if (port >= kFirstControlPort && port < kPortCount)
        stub.controls[port - kFirstControlPort] = static_cast<float*>(data);
}

void run(LV2_Handle handle, std::uint32_t frames) {
    auto& stub = *static_cast<Stub*>(handle);
    for (float* out : stub.audio)
        if (out) std::memset(out, 0, sizeof(float) * frames);
    if (stub.in) {
        LV2_ATOM_SEQUENCE_FOREACH(stub.in, event) {
            const auto* body = reinterpret_cast<const LV2_Atom_Object*>(&event->body);
            if (event->body.type == stub.object && body->body.otype == stub.patchGet)
                for (bool& told : stub.told) told = false;
        }
    }
    if (!stub.notify) return;
    const std::uint32_t capacity = stub.notify->atom.size;
    lv2_atom_forge_set_buffer(&stub.forge, reinterpret_cast<std::uint8_t*>(stub.notify), capacity);
    LV2_Atom_Forge_Frame sequence;
    lv2_atom_forge_sequence_head(&stub.forge, &sequence, 0);
    for (std::uint32_t row = 0; row < kControlPortCount; ++row) {
        if (!stub.controls[row]) continue;
        const float value = *stub.controls[row];
        if (stub.told[row] && value == stub.last[row]) continue;
        if (capacity < stub.forge.offset + 64) break;  // full: the rest next block
        LV2_Atom_Forge_Frame set;
        lv2_atom_forge_frame_time(&stub.forge, 0);
        lv2_atom_forge_object(&stub.forge, &set, 0, stub.patchSet);
        lv2_atom_forge_key(&stub.forge, stub.patchProperty);
        lv2_atom_forge_urid(&stub.forge, stub.keys[row]);
        lv2_atom_forge_key(&stub.forge, stub.patchValue);
        lv2_atom_forge_float(&stub.forge, value);
        lv2_atom_forge_pop(&stub.forge, &set);
        stub.last[row] = value;
        stub.told[row] = true;
    }
    lv2_atom_forge_pop(&stub.forge, &sequence);
}

void cleanup(LV2_Handle handle) { delete static_cast<Stub*>(handle); }

}  // namespace

extern "C" LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(std::uint32_t index) {
    static const LV2_Descriptor descriptor{kPluginUri, instantiate, connect, nullptr, run, nullptr, cleanup, nullptr};
    return index == 0 ? &descriptor : nullptr;
}
