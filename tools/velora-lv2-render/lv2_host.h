// SPDX-License-Identifier: MIT
#pragma once
// A minimal LV2 host on lilv: loads the bundle, makes one instance, sets its
// ports and presets, and runs it block by block with MIDI and the tempo.
#include <lilv/lilv.h>

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "lv2/atom/forge.h"
#include "lv2/urid/urid.h"

namespace velora::lv2host {

// Maps URIs to numbers for the plug-in and back (urid:map and urid:unmap).
class UridMap {
public:
    UridMap();
    LV2_URID map(const char* uri);
    const char* unmap(LV2_URID id) const;
    LV2_URID_Map* mapFeature() { return &map_; }
    LV2_URID_Unmap* unmapFeature() { return &unmap_; }

private:
    std::unordered_map<std::string, LV2_URID> ids_;
    std::vector<std::string> uris_;
    LV2_URID_Map map_{};
    LV2_URID_Unmap unmap_{};
};

struct MidiBytes {
    std::uint32_t frame = 0;
    std::uint8_t bytes[3] = {0, 0, 0};
    std::uint8_t size = 0;
};

class Lv2Host {
public:
    // Loads the bundle folder (or, when empty, what LV2_PATH holds) and makes
    // an instance of `pluginUri`; null with `error` set on failure.
    static std::unique_ptr<Lv2Host> create(const std::string& bundle, const std::string& pluginUri, double rate,
                                           std::uint32_t maxBlock, std::string& error);
    ~Lv2Host();
    Lv2Host(const Lv2Host&) = delete;
    Lv2Host& operator=(const Lv2Host&) = delete;

    // Applies a preset through lilv (port values and state); false if unknown.
    bool loadPreset(const std::string& presetUri, std::string& error);
    // Sets a control port by symbol; false when there is none.
    bool setControl(const std::string& symbol, float value);
    float control(const std::string& symbol) const;
    void activate();
    // One block: a time:Position with `tempo` at frame 0, the MIDI messages,
    // then run; the audio lands in left/right.
    void run(std::uint32_t frames, double tempo, const std::vector<MidiBytes>& midi, float* left, float* right);

    // One block with the caller's own event sequence (null: the port left
    // unconnected), for tests that hand the plug-in what no host should.
    void runRaw(std::uint32_t frames, const void* events, float* left, float* right);
    // Room the notify port offers the plug-in in each block.
    void setNotifyRoom(std::uint32_t bytes) { notifyRoom_ = bytes; }
    // Points a port at the caller's buffer (or null) from now on.
    void connect(std::uint32_t index, void* data) { lilv_instance_connect_port(instance_, index, data); }

    LilvInstance* instance() { return instance_; }
    UridMap& urids() { return urids_; }
    const LilvPlugin* plugin() const { return plugin_; }
    LilvWorld* world() { return world_; }
    const LV2_Feature* const* features() const { return features_; }
    // The notify port's sequence after the last run.
    const LV2_Atom_Sequence* notify() const { return reinterpret_cast<const LV2_Atom_Sequence*>(notify_.data()); }
    std::uint32_t portIndex(const std::string& symbol) const;

private:
    Lv2Host() = default;
    static void setPortValue(const char* symbol, void* self, const void* value, std::uint32_t size, std::uint32_t type);

    UridMap urids_;
    LilvWorld* world_ = nullptr;
    const LilvPlugin* plugin_ = nullptr;
    LilvInstance* instance_ = nullptr;
    bool active_ = false;
    std::vector<float> controls_;
    std::vector<std::uint64_t> events_;  // 8-byte aligned atom buffers
    std::vector<std::uint64_t> notify_;
    std::uint32_t notifyRoom_ = 0;  // 0: the whole buffer
    std::uint32_t eventsIndex_ = 0, notifyIndex_ = 0, leftIndex_ = 0, rightIndex_ = 0;
    LV2_Atom_Forge forge_{};
    LV2_Feature mapFeature_{}, unmapFeature_{};
    const LV2_Feature* features_[3] = {nullptr, nullptr, nullptr};
};

}  // namespace velora::lv2host
