// SPDX-License-Identifier: MIT
#pragma once
// Walks atoms a host hands over without trusting their sizes: an event or a
// property that claims more room than its container has ends the walk.
#include <cstdint>
#include <cstring>

#include "lv2/atom/atom.h"
#include "lv2/urids.h"

namespace velora::lv2 {

// Sequences claiming more than this are taken as garbage and skipped whole.
inline constexpr std::uint32_t kMaxSequenceBytes = 1u << 24;

inline std::uint32_t paddedSize(std::uint32_t size) { return (size + 7u) & ~7u; }

// Calls visit(frames, atom) for each event of a frame-stamped sequence.
template <typename Visit>
void forEachEvent(const LV2_Atom_Sequence* sequence, const Urids& urids, Visit&& visit) {
    if (sequence == nullptr) return;
    const std::uint32_t size = sequence->atom.size;
    if (size < sizeof(LV2_Atom_Sequence_Body) || size > kMaxSequenceBytes) return;
    // run() stamps are frames whatever the unit says: Ardour leaves the field
    // as the buffer held it (bits of a pointer), and refusing those
    // sequences dropped their notes. Only stamps said to be beats are refused.
    if (sequence->body.unit == urids.unitsBeat) return;
    const auto* body = reinterpret_cast<const std::uint8_t*>(&sequence->body);
    std::uint32_t offset = sizeof(LV2_Atom_Sequence_Body);
    while (offset <= size && size - offset >= sizeof(LV2_Atom_Event)) {
        const auto* event = reinterpret_cast<const LV2_Atom_Event*>(body + offset);
        const std::uint32_t room = size - offset - static_cast<std::uint32_t>(sizeof(LV2_Atom_Event));
        if (event->body.size > room) return;
        visit(event->time.frames, event->body);
        offset += paddedSize(static_cast<std::uint32_t>(sizeof(LV2_Atom_Event)) + event->body.size);
    }
}

// The object an event holds, or null when it holds none or too little.
inline const LV2_Atom_Object* asObject(const LV2_Atom& atom, const Urids& urids) {
    if (atom.type != urids.atomObject && atom.type != urids.atomBlank) return nullptr;
    if (atom.size < sizeof(LV2_Atom_Object_Body)) return nullptr;
    return reinterpret_cast<const LV2_Atom_Object*>(&atom);
}

// Calls visit(key, value) for each property of an object.
template <typename Visit>
void forEachProperty(const LV2_Atom_Object& object, Visit&& visit) {
    const std::uint32_t size = object.atom.size;
    const auto* body = reinterpret_cast<const std::uint8_t*>(&object.body);
    std::uint32_t offset = sizeof(LV2_Atom_Object_Body);
    while (offset <= size && size - offset >= sizeof(LV2_Atom_Property_Body)) {
        const auto* property = reinterpret_cast<const LV2_Atom_Property_Body*>(body + offset);
        const std::uint32_t room = size - offset - static_cast<std::uint32_t>(sizeof(LV2_Atom_Property_Body));
        if (property->value.size > room) return;
        visit(property->key, property->value);
        offset += paddedSize(static_cast<std::uint32_t>(sizeof(LV2_Atom_Property_Body)) + property->value.size);
    }
}

// A number atom of any of the four kinds; false for anything else.
inline bool readNumber(const void* body, std::uint32_t size, LV2_URID type, const Urids& urids, double& out) {
    if (type == urids.atomFloat && size >= sizeof(float)) {
        float v;
        std::memcpy(&v, body, sizeof v);
        out = v;
    } else if (type == urids.atomDouble && size >= sizeof(double)) {
        std::memcpy(&out, body, sizeof out);
    } else if (type == urids.atomInt && size >= sizeof(std::int32_t)) {
        std::int32_t v;
        std::memcpy(&v, body, sizeof v);
        out = v;
    } else if (type == urids.atomLong && size >= sizeof(std::int64_t)) {
        std::int64_t v;
        std::memcpy(&v, body, sizeof v);
        out = static_cast<double>(v);
    } else {
        return false;
    }
    return true;
}

inline bool readNumber(const LV2_Atom& atom, const Urids& urids, double& out) {
    return readNumber(&atom + 1, atom.size, atom.type, urids, out);
}

}  // namespace velora::lv2
