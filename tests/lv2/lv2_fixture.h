// SPDX-License-Identifier: MIT
#pragma once
// Drives the built bundle through lilv as a host does, and reads back what
// the plug-in says: its notify messages and its state.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "lv2/atom/util.h"
#include "lv2/notify_messages.h"
#include "lv2/patch/patch.h"
#include "lv2/state/state.h"
#include "lv2_host.h"

namespace velora::test {

using lv2host::Lv2Host;
using lv2host::MidiBytes;

inline constexpr std::uint32_t kBlock = 256;

inline std::unique_ptr<Lv2Host> makeHost(double rate = 44100.0) {
    std::string error;
    auto host = Lv2Host::create(VELORA_LV2_BUNDLE, "urn:velora:synth", rate, kBlock, error);
    EXPECT_TRUE(host) << error;
    return host;
}

inline std::string presetUri(int program) {
    char uri[64];
    std::snprintf(uri, sizeof uri, "urn:velora:synth#preset_%02d", program);
    return uri;
}

// What one block's notify sequence held, by port symbol.
struct Notified {
    std::map<std::string, float> values;
    std::map<std::string, std::string> displays;
    bool learnSeen = false, learning = false;
    int target = -1;
    int messages = 0;
};

inline Notified readNotify(Lv2Host& host) {
    Notified out;
    auto& urids = host.urids();
    const std::string prefix = lv2::kVeloraPrefix;
    LV2_ATOM_SEQUENCE_FOREACH(host.notify(), event) {
        ++out.messages;
        const auto* object = reinterpret_cast<const LV2_Atom_Object*>(&event->body);
        const char* type = urids.unmap(object->body.otype);
        std::string symbol;
        LV2_ATOM_OBJECT_FOREACH(object, property) {
            const std::string key = urids.unmap(property->key);
            const void* body = &property->value + 1;
            if (key == LV2_PATCH__property)
                symbol = std::string(urids.unmap(*static_cast<const LV2_URID*>(body))).substr(prefix.size());
            else if (key == LV2_PATCH__value)
                out.values[symbol] = *static_cast<const float*>(body);
            else if (key == lv2::kDisplayUri)
                out.displays[symbol] = static_cast<const char*>(body);
            else if (key == lv2::kLearningUri)
                out.learning = *static_cast<const std::int32_t*>(body) != 0;
            else if (key == lv2::kLearnTargetUri)
                out.target = *static_cast<const std::int32_t*>(body);
        }
        if (std::string(type) == lv2::kLearnStateUri) out.learnSeen = true;
    }
    return out;
}

// A saved state: key URI to (type URI, bytes).
using StateMap = std::map<std::string, std::pair<std::string, std::vector<std::uint8_t>>>;

inline const LV2_State_Interface* stateInterface(Lv2Host& host) {
    return static_cast<const LV2_State_Interface*>(
        lilv_instance_get_extension_data(host.instance(), LV2_STATE__interface));
}

struct StateAccess {
    Lv2Host* host;
    StateMap* map;
};

inline StateMap saveState(Lv2Host& host) {
    StateMap map;
    StateAccess access{&host, &map};
    auto store = [](LV2_State_Handle handle, std::uint32_t key, const void* value, std::size_t size, std::uint32_t type,
                    std::uint32_t) -> LV2_State_Status {
        auto* a = static_cast<StateAccess*>(handle);
        const auto* bytes = static_cast<const std::uint8_t*>(value);
        (*a->map)[a->host->urids().unmap(key)] = {a->host->urids().unmap(type), {bytes, bytes + size}};
        return LV2_STATE_SUCCESS;
    };
    EXPECT_EQ(stateInterface(host)->save(lilv_instance_get_handle(host.instance()), store, &access, 0, nullptr),
              LV2_STATE_SUCCESS);
    return map;
}

inline void restoreState(Lv2Host& host, const StateMap& map) {
    StateAccess access{&host, const_cast<StateMap*>(&map)};
    auto retrieve = [](LV2_State_Handle handle, std::uint32_t key, std::size_t* size, std::uint32_t* type,
                       std::uint32_t* flags) -> const void* {
        auto* a = static_cast<StateAccess*>(handle);
        const auto found = a->map->find(a->host->urids().unmap(key));
        if (found == a->map->end()) return nullptr;
        *size = found->second.second.size();
        *type = a->host->urids().map(found->second.first.c_str());
        *flags = LV2_STATE_IS_POD;
        return found->second.second.data();
    };
    EXPECT_EQ(stateInterface(host)->restore(lilv_instance_get_handle(host.instance()), retrieve, &access, 0, nullptr),
              LV2_STATE_SUCCESS);
}

inline float stateFloat(const StateMap& map, const std::string& key) {
    const auto found = map.find(key);
    if (found == map.end() || found->second.second.size() != sizeof(float)) return NAN;
    float value;
    std::memcpy(&value, found->second.second.data(), sizeof value);
    return value;
}

// Blocks of kBlock frames at 120 BPM; midi[b] goes into block b. Stereo interleaved.
inline std::vector<float> renderBlocks(Lv2Host& host, int blocks, const std::map<int, std::vector<MidiBytes>>& midi) {
    std::vector<float> out, left(kBlock), right(kBlock);
    for (int b = 0; b < blocks; ++b) {
        const auto found = midi.find(b);
        host.run(kBlock, 120.0, found != midi.end() ? found->second : std::vector<MidiBytes>{}, left.data(),
                 right.data());
        for (std::uint32_t i = 0; i < kBlock; ++i) {
            out.push_back(left[i]);
            out.push_back(right[i]);
        }
    }
    return out;
}

// One block whose only event is the user interface's patch:Get, after which
// the plug-in reports on its notify port.
inline void askForEverything(Lv2Host& host) {
    std::vector<std::uint64_t> events(64, 0);
    auto* sequence = reinterpret_cast<LV2_Atom_Sequence*>(events.data());
    sequence->atom = {sizeof(LV2_Atom_Sequence_Body) + sizeof(LV2_Atom_Event) + sizeof(LV2_Atom_Object_Body),
                      host.urids().map(LV2_ATOM__Sequence)};
    auto* event = reinterpret_cast<LV2_Atom_Event*>(sequence + 1);
    event->body = {sizeof(LV2_Atom_Object_Body), host.urids().map(LV2_ATOM__Object)};
    reinterpret_cast<LV2_Atom_Object*>(&event->body)->body = {0, host.urids().map(LV2_PATCH__Get)};
    std::vector<float> left(kBlock), right(kBlock);
    host.runRaw(kBlock, events.data(), left.data(), right.data());
}

inline bool allFinite(const std::vector<float>& samples) {
    for (float s : samples)
        if (!std::isfinite(s)) return false;
    return true;
}

inline bool sameBits(const std::vector<float>& a, const std::vector<float>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

}  // namespace velora::test
