// SPDX-License-Identifier: MIT
// Drives one plug-in instance as a careless or hostile host would: a byte
// string decoded into dispatcher calls with any payload, parameter changes
// with any float, MIDI blocks with any bytes and render calls of any size.
// Every rendered sample must be finite.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "shell/synth_effect.h"
#include "vst/aeffect.h"

namespace {

using namespace vst;

class Reader {
public:
    Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool done() const { return pos_ >= size_; }
    std::uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    std::uint32_t word() {
        std::uint32_t w = 0;
        for (int i = 0; i < 4; ++i) w = (w << 8) | byte();
        return w;
    }
    float anyFloat() {
        static const float special[] = {0.0f,  1.0f,   -1.0f,  0.5f,     NAN,      INFINITY, -INFINITY,
                                        1e30f, -1e30f, 1e-40f, 44100.0f, 96000.0f, 2.0f,     0.99f};
        const std::uint8_t kind = byte();
        if (kind < 128) return special[kind % (sizeof special / sizeof *special)];
        const std::uint32_t bits = word();
        float f;
        std::memcpy(&f, &bits, sizeof f);
        return f;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

// The tempo the host reports; the input can make it anything, or absent.
double hostTempo = 120.0;
bool hostHasTime = true;

VstIntPtr hostCallback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    static VstTimeInfo time{};
    switch (opcode) {
    case audioMasterVersion: return 2400;
    case audioMasterCanDo: return 1;
    case audioMasterGetTime:
        time.tempo = hostTempo;
        time.flags = kVstTempoValid;
        return hostHasTime ? reinterpret_cast<VstIntPtr>(&time) : 0;
    default: return 0;
    }
}

// A VstEvents block whose events carry any type, size, offset and bytes.
struct EventBlock {
    std::vector<VstMidiEvent> events;
    std::vector<unsigned char> block;

    VstEvents* build(Reader& in) {
        const int count = in.byte() % 40;
        events.assign(static_cast<std::size_t>(count), VstMidiEvent{});
        for (auto& e : events) {
            e.type = in.byte() < 200 ? kVstMidiType : static_cast<VstInt32>(in.word());
            e.byteSize = static_cast<VstInt32>(in.word());
            e.deltaFrames = in.byte() < 128 ? in.byte() : static_cast<VstInt32>(in.word());
            for (char& b : e.midiData) b = static_cast<char>(in.byte());
        }
        block.assign(sizeof(VstEvents) + sizeof(VstEvent*) * static_cast<std::size_t>(count), 0);
        auto* list = reinterpret_cast<VstEvents*>(block.data());
        list->numEvents = count;
        VstEvent** entries = list->events;
        for (int i = 0; i < count; ++i) entries[i] = reinterpret_cast<VstEvent*>(&events[static_cast<std::size_t>(i)]);
        return list;
    }
};

void render(AEffect* effect, Reader& in) {
    static std::vector<float> left(8192), right(8192);
    const VstInt32 frames = static_cast<VstInt32>((in.byte() << 8 | in.byte()) % 8193);
    float* outputs[2] = {left.data(), right.data()};
    effect->processReplacing(effect, nullptr, outputs, frames);
    for (VstInt32 i = 0; i < frames; ++i)
        if (!std::isfinite(left[static_cast<std::size_t>(i)]) || !std::isfinite(right[static_cast<std::size_t>(i)]))
            __builtin_trap();
}

void dispatch(AEffect* effect, Reader& in) {
    VstInt32 opcode = static_cast<VstInt32>(in.byte() % 90) - 5;
    if (opcode == effClose) opcode = effIdle;  // closing ends the run, at the end
    const VstInt32 index = in.byte() < 200 ? static_cast<VstInt32>(in.byte()) - 10 : static_cast<VstInt32>(in.word());
    VstIntPtr value = in.byte() < 200 ? static_cast<VstIntPtr>(in.byte()) - 10 : static_cast<VstInt32>(in.word());
    const float opt = in.anyFloat();

    static char text[4096];
    static EventBlock events;
    void* arrangement = nullptr;
    void* ptr = nullptr;
    switch (in.byte() % 4) {
    case 0: break;
    case 1:  // a short terminated text in a buffer big enough for any answer
        std::memset(text, 0, sizeof text);
        for (int i = 0; i < 12; ++i) text[i] = static_cast<char>(in.byte() | 1);
        ptr = text;
        break;
    case 2:  // a long text
        std::memset(text, 'x', sizeof text);
        text[in.byte() * 15] = '\0';
        text[sizeof text - 1] = '\0';
        ptr = text;
        break;
    case 3: ptr = events.build(in); break;
    }
    if (opcode == effGetSpeakerArrangement) value = reinterpret_cast<VstIntPtr>(&arrangement);
    if (opcode == effProcessEvents && ptr != nullptr && ptr == text) ptr = events.build(in);
    effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Reader in(data, size);
    hostTempo = 120.0;
    hostHasTime = true;
    AEffect* effect = (new velora::SynthEffect(hostCallback))->effect();
    if (effect == nullptr) return 0;
    effect->dispatcher(effect, effOpen, 0, 0, nullptr, 0.0f);
    effect->dispatcher(effect, effMainsChanged, 0, 1, nullptr, 0.0f);
    char text[256];
    for (int steps = 0; steps < 400 && !in.done(); ++steps) {
        switch (in.byte() % 9) {
        case 0: dispatch(effect, in); break;
        case 1: {
            const VstInt32 index = static_cast<VstInt32>(in.byte()) - 10;
            effect->setParameter(effect, index, in.anyFloat());
            break;
        }
        case 2: {
            const VstInt32 index = static_cast<VstInt32>(in.byte()) - 10;
            (void)effect->getParameter(effect, index);
            for (VstInt32 op : {effGetParamName, effGetParamLabel, effGetParamDisplay})
                effect->dispatcher(effect, op, index, 0, text, 0.0f);
            break;
        }
        case 3: effect->dispatcher(effect, effSetSampleRate, 0, 0, nullptr, in.anyFloat()); break;
        case 4: effect->dispatcher(effect, effSetBlockSize, 0, static_cast<VstInt32>(in.word()), nullptr, 0.0f); break;
        case 5:
            effect->dispatcher(effect, effSetProgram, 0, static_cast<VstInt32>(in.byte()) - 10, nullptr, 0.0f);
            break;
        case 6: render(effect, in); break;
        case 7: {
            EventBlock events;
            effect->dispatcher(effect, effProcessEvents, 0, 0, events.build(in), 0.0f);
            break;
        }
        case 8:
            hostTempo = in.anyFloat();
            hostHasTime = in.byte() < 220;
            break;
        }
    }
    render(effect, in);
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    return 0;
}
