// SPDX-License-Identifier: MIT
#pragma once
// Reads the plug-in's notify messages (see notify_messages.h) as the host
// hands them to the user interface, into the mirror. Everything is checked
// against the bytes the host delivered: a truncated or malformed atom is
// dropped, never read past.
#include <cstdint>

#include "lv2/port_table.h"
#include "lv2/urid/urid.h"

namespace velora::lv2 {

class UiMirror;

class NotifyReader {
public:
    explicit NotifyReader(const LV2_URID_Map& map);

    // One port event of the notify port: an event's atom (atom:eventTransfer)
    // or a whole sequence (atom:atomTransfer).
    void read(const void* buffer, std::uint32_t bytes, UiMirror& mirror) const;

    LV2_URID eventTransfer() const { return eventTransfer_; }
    LV2_URID atomTransfer() const { return atomTransfer_; }

    // The request for everything (patch:Get), as an atom to send.
    struct Request {
        std::uint32_t size, type;  // LV2_Atom
        std::uint32_t id, otype;   // LV2_Atom_Object_Body
    };
    Request request() const { return {8, object_, 0, patchGet_}; }

private:
    void readAtom(const void* atom, std::uint32_t bytes, UiMirror& mirror, bool inSequence) const;
    void readSequence(const unsigned char* body, std::uint32_t size, UiMirror& mirror) const;
    void readObject(const unsigned char* body, std::uint32_t size, UiMirror& mirror) const;
    std::int32_t portOfProperty(LV2_URID key) const;

    LV2_URID eventTransfer_, atomTransfer_;
    LV2_URID object_, blank_, sequence_, float_, double_, int_, bool_, string_, urid_;
    LV2_URID patchGet_, patchSet_, patchProperty_, patchValue_;
    LV2_URID display_, learnState_, learning_, learnTarget_;
    LV2_URID portKeys_[kControlPortCount];
};

}  // namespace velora::lv2
