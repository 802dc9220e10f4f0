// SPDX-License-Identifier: MIT
#include "lv2_host.h"

#include <cstring>

#include "lv2/atom/atom.h"
#include "lv2/midi/midi.h"
#include "lv2/time/time.h"

namespace velora::lv2host {

namespace {

constexpr std::size_t kAtomBufferBytes = 1u << 16;

LV2_URID mapThunk(LV2_URID_Map_Handle handle, const char* uri) { return static_cast<UridMap*>(handle)->map(uri); }
const char* unmapThunk(LV2_URID_Unmap_Handle handle, LV2_URID id) { return static_cast<UridMap*>(handle)->unmap(id); }

}  // namespace

UridMap::UridMap() {
    map_ = {this, mapThunk};
    unmap_ = {this, unmapThunk};
}

LV2_URID UridMap::map(const char* uri) {
    if (uri == nullptr) return 0;
    auto [entry, added] = ids_.try_emplace(uri, static_cast<LV2_URID>(uris_.size() + 1));
    if (added) uris_.push_back(uri);
    return entry->second;
}

const char* UridMap::unmap(LV2_URID id) const {
    return id >= 1 && id <= uris_.size() ? uris_[id - 1].c_str() : nullptr;
}

std::unique_ptr<Lv2Host> Lv2Host::create(const std::string& bundle, const std::string& pluginUri, double rate,
                                         std::uint32_t maxBlock, std::string& error) {
    std::unique_ptr<Lv2Host> host(new Lv2Host);
    host->world_ = lilv_world_new();
    if (bundle.empty()) {
        lilv_world_load_all(host->world_);
    } else {
        std::string uri = "file://" + bundle;
        if (uri.back() != '/') uri += '/';
        LilvNode* node = lilv_new_uri(host->world_, uri.c_str());
        lilv_world_load_bundle(host->world_, node);
        lilv_node_free(node);
    }
    LilvNode* uri = lilv_new_uri(host->world_, pluginUri.c_str());
    host->plugin_ = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(host->world_), uri);
    lilv_node_free(uri);
    if (host->plugin_ == nullptr) {
        error = "no LV2 plug-in " + pluginUri + (bundle.empty() ? " on LV2_PATH" : " in " + bundle);
        return nullptr;
    }
    host->mapFeature_ = {LV2_URID__map, host->urids_.mapFeature()};
    host->unmapFeature_ = {LV2_URID__unmap, host->urids_.unmapFeature()};
    host->features_[0] = &host->mapFeature_;
    host->features_[1] = &host->unmapFeature_;
    lv2_atom_forge_init(&host->forge_, host->urids_.mapFeature());

    host->instance_ = lilv_plugin_instantiate(host->plugin_, rate, host->features_);
    if (host->instance_ == nullptr) {
        error = "the plug-in refused to start at " + std::to_string(rate) + " Hz";
        return nullptr;
    }
    const std::uint32_t ports = lilv_plugin_get_num_ports(host->plugin_);
    host->controls_.assign(ports, 0.0f);
    std::vector<float> defaults(ports, 0.0f);
    lilv_plugin_get_port_ranges_float(host->plugin_, nullptr, nullptr, defaults.data());
    host->events_.assign(kAtomBufferBytes / 8, 0);
    host->notify_.assign(kAtomBufferBytes / 8, 0);
    LilvNode* audio = lilv_new_uri(host->world_, LV2_CORE__AudioPort);
    LilvNode* input = lilv_new_uri(host->world_, LV2_CORE__InputPort);
    LilvNode* atomPort = lilv_new_uri(host->world_, LV2_ATOM__AtomPort);
    bool leftFound = false;
    for (std::uint32_t i = 0; i < ports; ++i) {
        const LilvPort* port = lilv_plugin_get_port_by_index(host->plugin_, i);
        if (lilv_port_is_a(host->plugin_, port, atomPort)) {
            (lilv_port_is_a(host->plugin_, port, input) ? host->eventsIndex_ : host->notifyIndex_) = i;
        } else if (lilv_port_is_a(host->plugin_, port, audio)) {
            (leftFound ? host->rightIndex_ : host->leftIndex_) = i;
            leftFound = true;
        } else {
            host->controls_[i] = defaults[i] == defaults[i] ? defaults[i] : 0.0f;
            lilv_instance_connect_port(host->instance_, i, &host->controls_[i]);
        }
    }
    lilv_node_free(audio);
    lilv_node_free(input);
    lilv_node_free(atomPort);
    lilv_instance_connect_port(host->instance_, host->notifyIndex_, host->notify_.data());
    (void)maxBlock;
    return host;
}

Lv2Host::~Lv2Host() {
    if (instance_ != nullptr) {
        if (active_) lilv_instance_deactivate(instance_);
        lilv_instance_free(instance_);
    }
    if (world_ != nullptr) lilv_world_free(world_);
}

std::uint32_t Lv2Host::portIndex(const std::string& symbol) const {
    LilvNode* node = lilv_new_string(world_, symbol.c_str());
    const LilvPort* port = lilv_plugin_get_port_by_symbol(plugin_, node);
    lilv_node_free(node);
    return port != nullptr ? lilv_port_get_index(plugin_, port) : UINT32_MAX;
}

bool Lv2Host::setControl(const std::string& symbol, float value) {
    const std::uint32_t index = portIndex(symbol);
    if (index >= controls_.size() || index == eventsIndex_ || index == notifyIndex_ || index == leftIndex_ ||
        index == rightIndex_)
        return false;
    controls_[index] = value;
    return true;
}

float Lv2Host::control(const std::string& symbol) const {
    const std::uint32_t index = portIndex(symbol);
    return index < controls_.size() ? controls_[index] : 0.0f;
}

void Lv2Host::setPortValue(const char* symbol, void* self, const void* value, std::uint32_t size, std::uint32_t type) {
    auto* host = static_cast<Lv2Host*>(self);
    UridMap& urids = host->urids_;
    float number = 0.0f;
    if (type == urids.map(LV2_ATOM__Float) && size == sizeof(float)) {
        std::memcpy(&number, value, sizeof number);
    } else if (type == urids.map(LV2_ATOM__Double) && size == sizeof(double)) {
        double d;
        std::memcpy(&d, value, sizeof d);
        number = static_cast<float>(d);
    } else if (type == urids.map(LV2_ATOM__Int) && size == sizeof(std::int32_t)) {
        std::int32_t i;
        std::memcpy(&i, value, sizeof i);
        number = static_cast<float>(i);
    } else {
        return;
    }
    host->setControl(symbol, number);
}

bool Lv2Host::loadPreset(const std::string& presetUri, std::string& error) {
    LilvNode* preset = lilv_new_uri(world_, presetUri.c_str());
    lilv_world_load_resource(world_, preset);
    LilvState* state = lilv_state_new_from_world(world_, urids_.mapFeature(), preset);
    lilv_node_free(preset);
    if (state == nullptr) {
        error = "no preset " + presetUri;
        return false;
    }
    lilv_state_restore(state, instance_, setPortValue, this, 0, features_);
    lilv_state_free(state);
    return true;
}

void Lv2Host::activate() {
    if (!active_) lilv_instance_activate(instance_);
    active_ = true;
}

void Lv2Host::run(std::uint32_t frames, double tempo, const std::vector<MidiBytes>& midi, float* left, float* right) {
    lv2_atom_forge_set_buffer(&forge_, reinterpret_cast<std::uint8_t*>(events_.data()), kAtomBufferBytes);
    LV2_Atom_Forge_Frame sequence, position;
    lv2_atom_forge_sequence_head(&forge_, &sequence, 0);
    lv2_atom_forge_frame_time(&forge_, 0);
    lv2_atom_forge_object(&forge_, &position, 0, urids_.map(LV2_TIME__Position));
    lv2_atom_forge_key(&forge_, urids_.map(LV2_TIME__speed));
    lv2_atom_forge_float(&forge_, 1.0f);
    // In double, so the plug-in gets the tempo exactly as a VST 2 host reports it.
    lv2_atom_forge_key(&forge_, urids_.map(LV2_TIME__beatsPerMinute));
    lv2_atom_forge_double(&forge_, tempo);
    lv2_atom_forge_pop(&forge_, &position);
    const LV2_URID midiEvent = urids_.map(LV2_MIDI__MidiEvent);
    for (const MidiBytes& message : midi) {
        lv2_atom_forge_frame_time(&forge_, message.frame);
        lv2_atom_forge_atom(&forge_, message.size, midiEvent);
        lv2_atom_forge_write(&forge_, message.bytes, message.size);
    }
    lv2_atom_forge_pop(&forge_, &sequence);
    runRaw(frames, events_.data(), left, right);
}

void Lv2Host::runRaw(std::uint32_t frames, const void* events, float* left, float* right) {
    // The notify port offers the plug-in the whole buffer, or the room asked for.
    auto* out = reinterpret_cast<LV2_Atom_Sequence*>(notify_.data());
    out->atom.type = 0;
    const auto whole = static_cast<std::uint32_t>(kAtomBufferBytes - sizeof(LV2_Atom));
    out->atom.size = notifyRoom_ > 0 && notifyRoom_ < whole ? notifyRoom_ : whole;
    lilv_instance_connect_port(instance_, eventsIndex_, const_cast<void*>(events));
    lilv_instance_connect_port(instance_, leftIndex_, left);
    lilv_instance_connect_port(instance_, rightIndex_, right);
    lilv_instance_run(instance_, frames);
}

}  // namespace velora::lv2host
