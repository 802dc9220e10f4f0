// SPDX-License-Identifier: MIT
#include "lv2/notify_reader.h"

#include <cstring>
#include <string>

#include "lv2/atom/atom.h"
#include "lv2/notify_messages.h"
#include "lv2/ui_mirror.h"

namespace velora::lv2 {
namespace {

constexpr std::uint32_t kAtomHeader = sizeof(LV2_Atom);
constexpr std::uint32_t kEventHeader = sizeof(LV2_Atom_Event);             // frames, then the atom
constexpr std::uint32_t kPropertyHeader = sizeof(LV2_Atom_Property_Body);  // key, context, atom
constexpr std::uint32_t kSequenceHeader = sizeof(LV2_Atom_Sequence_Body);  // unit, pad
constexpr std::uint32_t kObjectHeader = sizeof(LV2_Atom_Object_Body);      // id, otype

std::uint32_t word(const unsigned char* at) {
    std::uint32_t value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

std::uint64_t padded(std::uint64_t size) { return (size + 7u) & ~std::uint64_t{7}; }

// The value of a number atom, for the types a host may convert to.
bool numberOf(std::uint32_t type, std::uint32_t size, const unsigned char* body, LV2_URID floatType,
              LV2_URID doubleType, LV2_URID intType, float& out) {
    if (type == floatType && size >= sizeof(float)) {
        std::memcpy(&out, body, sizeof out);
        return true;
    }
    if (type == doubleType && size >= sizeof(double)) {
        double d;
        std::memcpy(&d, body, sizeof d);
        out = static_cast<float>(d);
        return true;
    }
    if (type == intType && size >= sizeof(std::int32_t)) {
        std::int32_t i;
        std::memcpy(&i, body, sizeof i);
        out = static_cast<float>(i);
        return true;
    }
    return false;
}

}  // namespace

NotifyReader::NotifyReader(const LV2_URID_Map& map) {
    auto id = [&map](const char* uri) { return map.map(map.handle, uri); };
    eventTransfer_ = id(LV2_ATOM__eventTransfer);
    atomTransfer_ = id(LV2_ATOM__atomTransfer);
    object_ = id(LV2_ATOM__Object);
    blank_ = id(LV2_ATOM__Blank);
    sequence_ = id(LV2_ATOM__Sequence);
    float_ = id(LV2_ATOM__Float);
    double_ = id(LV2_ATOM__Double);
    int_ = id(LV2_ATOM__Int);
    bool_ = id(LV2_ATOM__Bool);
    string_ = id(LV2_ATOM__String);
    urid_ = id(LV2_ATOM__URID);
    patchGet_ = id(LV2_PATCH__Get);
    patchSet_ = id(LV2_PATCH__Set);
    patchProperty_ = id(LV2_PATCH__property);
    patchValue_ = id(LV2_PATCH__value);
    display_ = id(kDisplayUri);
    learnState_ = id(kLearnStateUri);
    learning_ = id(kLearningUri);
    learnTarget_ = id(kLearnTargetUri);
    for (std::uint32_t row = 0; row < kControlPortCount; ++row)
        portKeys_[row] = id(parameterUri(kControlPorts[row].symbol).c_str());
}

void NotifyReader::read(const void* buffer, std::uint32_t bytes, UiMirror& mirror) const {
    if (buffer) readAtom(buffer, bytes, mirror, false);
}

void NotifyReader::readAtom(const void* atom, std::uint32_t bytes, UiMirror& mirror, bool inSequence) const {
    if (bytes < kAtomHeader) return;
    const auto* at = static_cast<const unsigned char*>(atom);
    const std::uint32_t size = word(at);
    const std::uint32_t type = word(at + 4);
    if (size > bytes - kAtomHeader) return;  // truncated
    const unsigned char* body = at + kAtomHeader;
    if (type == object_ || type == blank_) readObject(body, size, mirror);
    if (type == sequence_ && !inSequence) readSequence(body, size, mirror);
}

void NotifyReader::readSequence(const unsigned char* body, std::uint32_t size, UiMirror& mirror) const {
    if (size < kSequenceHeader) return;
    std::uint64_t offset = kSequenceHeader;
    while (offset + kEventHeader <= size) {
        const unsigned char* event = body + offset;
        const std::uint32_t eventSize = word(event + 8);
        const std::uint64_t whole = std::uint64_t{kEventHeader} + eventSize;
        if (offset + whole > size) return;
        readAtom(event + 8, static_cast<std::uint32_t>(whole - 8), mirror, true);
        offset += padded(whole);
    }
}

void NotifyReader::readObject(const unsigned char* body, std::uint32_t size, UiMirror& mirror) const {
    if (size < kObjectHeader) return;
    const std::uint32_t otype = word(body + 4);
    if (otype != patchSet_ && otype != learnState_) return;

    std::int32_t port = -1;
    float value = 0.0f;
    bool hasValue = false;
    std::string display;
    bool hasDisplay = false;
    bool learning = false, hasLearning = false;
    std::int32_t target = -1;

    std::uint64_t offset = kObjectHeader;
    while (offset + kPropertyHeader <= size) {
        const unsigned char* property = body + offset;
        const std::uint32_t key = word(property);
        const std::uint32_t valueSize = word(property + 8);
        const std::uint32_t valueType = word(property + 12);
        const std::uint64_t whole = std::uint64_t{kPropertyHeader} + valueSize;
        if (offset + whole > size) return;  // a property runs past its object: drop it all
        const unsigned char* valueBody = property + kPropertyHeader;
        if (key == patchProperty_ && valueType == urid_ && valueSize >= 4) port = portOfProperty(word(valueBody));
        if (key == patchValue_) hasValue = numberOf(valueType, valueSize, valueBody, float_, double_, int_, value);
        if (key == display_ && valueType == string_) {
            const void* end = std::memchr(valueBody, '\0', valueSize);
            const std::size_t length = end ? static_cast<const unsigned char*>(end) - valueBody : valueSize;
            display.assign(reinterpret_cast<const char*>(valueBody),
                           length < kMaxDisplayText ? length : kMaxDisplayText);
            hasDisplay = true;
        }
        if (key == learning_ && (valueType == bool_ || valueType == int_) && valueSize >= 4) {
            learning = word(valueBody) != 0;
            hasLearning = true;
        }
        if (key == learnTarget_ && valueType == int_ && valueSize >= 4)
            target = static_cast<std::int32_t>(word(valueBody));
        offset += padded(whole);
    }

    if (otype == patchSet_ && port >= 0 && hasValue)
        mirror.pluginValue(static_cast<std::uint32_t>(port), value, hasDisplay ? display.c_str() : nullptr);
    if (otype == learnState_ && hasLearning) mirror.learnState(learning, target);
}

std::int32_t NotifyReader::portOfProperty(LV2_URID key) const {
    if (key == 0) return -1;
    for (std::uint32_t row = 0; row < kControlPortCount; ++row)
        if (portKeys_[row] == key) return static_cast<std::int32_t>(kFirstControlPort + row);
    return -1;
}

}  // namespace velora::lv2
