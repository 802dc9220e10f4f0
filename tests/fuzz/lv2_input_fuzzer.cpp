// SPDX-License-Identifier: MIT
// Drives the LV2 instance as a hostile host would: any bytes as the event
// sequence, any floats on the control ports, any properties handed to state
// restore, blocks of any length. Every rendered sample must be finite.
//
// Input: mode byte (bit 0: restore state from the rest, else the rest is the
// sequence body), frames (2 bytes), a count of port moves and that many
// (row byte, float) pairs, then the rest. URIDs are numbered in the order of
// kUris from 1, so small numbers in the input name real types.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "lv2/atom/atom.h"
#include "lv2/midi/midi.h"
#include "lv2/patch/patch.h"
#include "lv2/port_table.h"
#include "lv2/synth_plugin.h"
#include "lv2/time/time.h"
#include "lv2/units/units.h"
#include "lv2/urids.h"

namespace {

using velora::lv2::SynthPlugin;

const char* const kUris[] = {LV2_ATOM__Sequence,  LV2_ATOM__Object,   LV2_ATOM__Float,          LV2_ATOM__Double,
                             LV2_ATOM__Int,       LV2_ATOM__Long,     LV2_ATOM__String,         LV2_ATOM__URID,
                             LV2_MIDI__MidiEvent, LV2_TIME__Position, LV2_TIME__beatsPerMinute, LV2_PATCH__Get,
                             LV2_UNITS__frame,    LV2_UNITS__beat,    LV2_ATOM__Blank,          LV2_ATOM__Bool};

std::vector<std::string> uris;

LV2_URID mapUri(LV2_URID_Map_Handle, const char* uri) {
    for (std::size_t i = 0; i < uris.size(); ++i)
        if (uris[i] == uri) return static_cast<LV2_URID>(i + 1);
    uris.emplace_back(uri);
    return static_cast<LV2_URID>(uris.size());
}

class Reader {
public:
    Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    float anyFloat() {
        std::uint32_t bits = 0;
        for (int i = 0; i < 4; ++i) bits = bits << 8 | byte();
        float f;
        std::memcpy(&f, &bits, sizeof f);
        return f;
    }
    const std::uint8_t* rest() const { return data_ + pos_; }
    std::size_t left() const { return pos_ < size_ ? size_ - pos_ : 0; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

// State records from the input: key (by state key number), type, size, bytes.
struct StateInput {
    Reader* reader;
    std::vector<std::uint8_t> last;
};

const void* retrieve(LV2_State_Handle handle, std::uint32_t, std::size_t* size, std::uint32_t* type,
                     std::uint32_t* flags) {
    auto* input = static_cast<StateInput*>(handle);
    Reader& r = *input->reader;
    if (r.left() == 0 || r.byte() < 64) return nullptr;  // missing
    *type = r.byte() % 20;
    const std::size_t length = r.byte();
    input->last.assign(r.rest(), r.rest() + std::min(length, r.left()));
    for (std::size_t i = 0; i < input->last.size(); ++i) r.byte();
    *size = input->last.size();
    *flags = 0;
    return input->last.data();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static LV2_URID_Map map{nullptr, mapUri};
    static const LV2_Feature mapFeature{LV2_URID__map, &map};
    static const LV2_Feature* const features[] = {&mapFeature, nullptr};
    if (uris.empty())
        for (const char* uri : kUris) mapUri(nullptr, uri);
    static SynthPlugin* plugin = SynthPlugin::create(48000.0, features);  // one instance: it keeps its state
    if (plugin == nullptr) return 0;

    Reader reader(data, size);
    const std::uint8_t mode = reader.byte();
    const std::uint32_t frames = (reader.byte() << 8 | reader.byte()) % 1024;
    static float controls[velora::lv2::kControlPortCount];
    for (std::uint32_t row = 0; row < velora::lv2::kControlPortCount; ++row)
        plugin->connect(velora::lv2::kFirstControlPort + row, &controls[row]);
    for (std::uint8_t moves = reader.byte() % 8; moves > 0; --moves) {
        const std::uint8_t row = reader.byte() % velora::lv2::kControlPortCount;
        controls[row] = reader.anyFloat();
    }

    alignas(8) static std::uint8_t events[1 << 16];
    alignas(8) static std::uint8_t notify[1 << 14];
    std::memset(events, 0, sizeof(LV2_Atom_Sequence));
    if (mode & 1) {
        StateInput input{&reader, {}};
        plugin->restore(retrieve, &input);
    } else {
        // The input is the sequence as the host's buffer holds it; its
        // claimed size may be anything up to the buffer's end.
        const std::size_t length = std::min(reader.left(), sizeof events);
        std::memcpy(events, reader.rest(), length);
        auto* sequence = reinterpret_cast<LV2_Atom_Sequence*>(events);
        if (sequence->atom.size > sizeof events - sizeof(LV2_Atom)) sequence->atom.size %= sizeof events - 8;
    }
    auto* out = reinterpret_cast<LV2_Atom_Sequence*>(notify);
    out->atom.size = (mode & 2) ? 100 : sizeof notify - sizeof(LV2_Atom);
    plugin->connect(velora::lv2::kPortEventsIn, (mode & 4) ? nullptr : events);
    plugin->connect(velora::lv2::kPortNotify, notify);
    static float left[4096], right[4096];
    plugin->connect(velora::lv2::kPortAudioLeft, (mode & 8) ? nullptr : left);
    plugin->connect(velora::lv2::kPortAudioRight, right);
    if (mode & 16) plugin->activate();
    plugin->run(frames);
    for (std::uint32_t i = 0; i < frames; ++i)
        if (!std::isfinite(right[i]) || (!(mode & 8) && !std::isfinite(left[i]))) __builtin_trap();
    return 0;
}
