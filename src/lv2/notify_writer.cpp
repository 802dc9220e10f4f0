// SPDX-License-Identifier: MIT
#include "lv2/notify_writer.h"

#include <cstring>

#include "lv2/notify_messages.h"

namespace velora::lv2 {

bool NotifyWriter::begin(LV2_Atom_Sequence* port) {
    open_ = false;
    if (port == nullptr) return false;
    const std::uint32_t capacity = port->atom.size;
    if (capacity < sizeof(LV2_Atom_Sequence)) return false;
    lv2_atom_forge_set_buffer(&forge_, reinterpret_cast<std::uint8_t*>(port), capacity);
    open_ = lv2_atom_forge_sequence_head(&forge_, &sequence_, 0) != 0;
    return open_;
}

bool NotifyWriter::parameter(const Urids& urids, LV2_URID property, float value, const char* display) {
    if (!room()) return false;
    LV2_Atom_Forge_Frame object;
    lv2_atom_forge_frame_time(&forge_, 0);
    lv2_atom_forge_object(&forge_, &object, 0, urids.patchSet);
    lv2_atom_forge_key(&forge_, urids.patchProperty);
    lv2_atom_forge_urid(&forge_, property);
    lv2_atom_forge_key(&forge_, urids.patchValue);
    lv2_atom_forge_float(&forge_, value);
    const std::size_t length = display != nullptr ? std::strlen(display) : 0;
    if (length > 0 && length <= kMaxDisplayText) {
        lv2_atom_forge_key(&forge_, urids.display);
        lv2_atom_forge_string(&forge_, display, static_cast<std::uint32_t>(length));
    }
    lv2_atom_forge_pop(&forge_, &object);
    return true;
}

bool NotifyWriter::learnState(const Urids& urids, bool learning, std::int32_t target) {
    if (!room()) return false;
    LV2_Atom_Forge_Frame object;
    lv2_atom_forge_frame_time(&forge_, 0);
    lv2_atom_forge_object(&forge_, &object, 0, urids.learnState);
    lv2_atom_forge_key(&forge_, urids.learning);
    lv2_atom_forge_bool(&forge_, learning);
    lv2_atom_forge_key(&forge_, urids.learnTarget);
    lv2_atom_forge_int(&forge_, target);
    lv2_atom_forge_pop(&forge_, &object);
    return true;
}

void NotifyWriter::end() {
    if (open_) lv2_atom_forge_pop(&forge_, &sequence_);
    open_ = false;
}

}  // namespace velora::lv2
