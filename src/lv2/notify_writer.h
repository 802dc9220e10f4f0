// SPDX-License-Identifier: MIT
#pragma once
// Writes the notify port's sequence (layouts in notify_messages.h). Every
// message is written whole or not at all: one that does not fit the host's
// buffer is refused, and its sender keeps it for the next block.
#include <cstdint>

#include "lv2/atom/forge.h"
#include "lv2/urids.h"

namespace velora::lv2 {

class NotifyWriter {
public:
    // Room a message may take at most, event header included.
    static constexpr std::uint32_t kMessageBytes = 192;

    void init(LV2_URID_Map* map) { lv2_atom_forge_init(&forge_, map); }

    // Starts an empty sequence in the port's buffer, whose atom size the host
    // set to the room it has; false when there is too little for even that.
    bool begin(LV2_Atom_Sequence* port);
    bool parameter(const Urids& urids, LV2_URID property, float value, const char* display);
    bool learnState(const Urids& urids, bool learning, std::int32_t target);
    void end();

private:
    bool room() const { return open_ && forge_.size - forge_.offset >= kMessageBytes; }

    LV2_Atom_Forge forge_{};
    LV2_Atom_Forge_Frame sequence_{};
    bool open_ = false;
};

}  // namespace velora::lv2
