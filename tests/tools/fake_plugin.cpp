// SPDX-License-Identifier: MIT
// A small stand-in plug-in for the host tests. One source, several builds:
// FAKE_VARIANT selects which entry points exist and what they return.
//   1: VSTPluginMain and main (different unique ids)   2: main only
//   3: no entry point   4: entry returns null   5: wrong magic
// The working variants render an impulse of velocity / 127 on the left
// channel at each note-on's sample and the host tempo / 1000 times parameter 3
// ("Level", initially 1) on the right.
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "vst/aeffect.h"

using namespace vst;

namespace {

struct FakePlugin {
    AEffect effect{};
    audioMasterCallback host = nullptr;
    float params[4] = {0.25f, 0.5f, 0.0f, 1.0f};
    VstInt32 program = 0;
    VstIntPtr timeInfoAnswer = 99;
    double tempoAtOpen = 0.0;
    std::vector<VstMidiEvent> pending;
};

std::vector<VstInt32> dispatchLog;

const char* const kProgramNames[] = {"1: first light", "2: Second Sound", "3: odd/name *here*"};
const char* const kParamNames[] = {"Gain", "Pitch", "Mode", "Level"};
const char* const kParamLabels[] = {"dB", "", "", "%"};

// With FAKE_LOG set, written there at effClose (for host processes run by a
// test): the opcodes, then "tempo" and the tempo the host reported at effOpen.
void saveLogIfAsked(double tempoAtOpen) {
    const char* path = std::getenv("FAKE_LOG");
    if (!path) return;
    if (std::FILE* file = std::fopen(path, "w")) {
        for (VstInt32 opcode : dispatchLog) std::fprintf(file, "%d\n", opcode);
        std::fprintf(file, "tempo %g\n", tempoAtOpen);
        std::fclose(file);
    }
}

FakePlugin& fake(AEffect* effect) { return *static_cast<FakePlugin*>(effect->object); }

VstIntPtr callHost(FakePlugin& plugin, VstInt32 opcode, VstIntPtr value = 0, void* ptr = nullptr) {
    return plugin.host(&plugin.effect, opcode, 0, value, ptr, 0.0f);
}

void copyText(void* ptr, const char* text) { std::strcpy(static_cast<char*>(ptr), text); }

VstIntPtr dispatcher(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float) {
    FakePlugin& plugin = fake(effect);
    dispatchLog.push_back(opcode);
    const bool validParam = index >= 0 && index < 4;
    switch (opcode) {
    case effOpen: {
        char text[] = "sendVstTimeInfo";
        plugin.timeInfoAnswer = plugin.host(effect, audioMasterCanDo, 0, 0, text, 0.0f);
        if (plugin.timeInfoAnswer == 1) {
            auto* time = reinterpret_cast<VstTimeInfo*>(callHost(plugin, audioMasterGetTime, kVstTempoValid));
            plugin.tempoAtOpen = time ? time->tempo : -1.0;
        }
        return 0;
    }
    case effClose:
        saveLogIfAsked(plugin.tempoAtOpen);
        delete &plugin;
        return 1;
    case effSetProgram:
        if (value >= 0 && value < 3) plugin.program = static_cast<VstInt32>(value);
        return 0;
    case effGetProgram: return plugin.program;
    case effGetParamName:
        if (validParam) copyText(ptr, kParamNames[index]);
        return 0;
    case effGetParamLabel:
        if (validParam) copyText(ptr, kParamLabels[index]);
        return 0;
    case effGetParamDisplay:
        if (validParam) {
            char* end =
                std::to_chars(static_cast<char*>(ptr), static_cast<char*>(ptr) + 32, plugin.params[index] * 10.0f).ptr;
            *end = '\0';
        }
        return 0;
    case effGetProgramNameIndexed:
        if (index < 0 || index >= 3) return 0;
        copyText(ptr, kProgramNames[index]);
        return 1;
    case effMainsChanged:
        if (value) callHost(plugin, audioMasterWantMidi, 1);
        return 0;
    case effProcessEvents: {
        auto* events = static_cast<VstEvents*>(ptr);
        for (VstInt32 i = 0; i < events->numEvents; ++i)
            if (events->events[i]->type == kVstMidiType)
                plugin.pending.push_back(*reinterpret_cast<VstMidiEvent*>(events->events[i]));
        return 1;
    }
    case effGetEffectName: copyText(ptr, "Fake"); return 1;
    case effGetVendorString: copyText(ptr, "Test Bench"); return 1;
    case effGetProductString: copyText(ptr, "Fake Product"); return 1;
    case effGetVendorVersion: return 7;
    case effGetVstVersion: return 2400;
    case effGetPlugCategory: return kPlugCategSynth;
    case effCanDo: return std::strcmp(static_cast<const char*>(ptr), "receiveVstEvents") == 0 ? 1 : -1;
    case effGetOutputProperties: {
        if (index < 0 || index > 1) return 0;
        auto* pin = static_cast<VstPinProperties*>(ptr);
        copyText(pin->label, index == 0 ? "Fake L" : "Fake R");
        pin->flags = kVstPinIsActive;
        return 1;
    }
    default: return 0;
    }
}

void processReplacing(AEffect* effect, float**, float** outputs, VstInt32 frames) {
    FakePlugin& plugin = fake(effect);
    auto* time = reinterpret_cast<VstTimeInfo*>(callHost(plugin, audioMasterGetTime, kVstTempoValid));
    const float tempoLevel = time ? static_cast<float>(time->tempo / 1000.0) * plugin.params[3] : -1.0f;
    std::fill(outputs[0], outputs[0] + frames, 0.0f);
    std::fill(outputs[1], outputs[1] + frames, tempoLevel);
    for (const VstMidiEvent& event : plugin.pending) {
        const auto status = static_cast<unsigned char>(event.midiData[0]) & 0xF0;
        if (status == 0x90 && event.midiData[2] > 0 && event.deltaFrames >= 0 && event.deltaFrames < frames)
            outputs[0][event.deltaFrames] += static_cast<float>(event.midiData[2]) / 127.0f;
    }
    plugin.pending.clear();
}

// Logged as kSetParameterLog + index beside the dispatcher opcodes.
constexpr VstInt32 kSetParameterLog = 1000;

void setParameter(AEffect* effect, VstInt32 index, float value) {
    dispatchLog.push_back(kSetParameterLog + index);
    if (index >= 0 && index < 4) fake(effect).params[index] = value;
}

float getParameter(AEffect* effect, VstInt32 index) {
    return index >= 0 && index < 4 ? fake(effect).params[index] : 0.0f;
}

[[maybe_unused]] AEffect* createEffect(audioMasterCallback host, VstInt32 uniqueId) {
    auto* plugin = new FakePlugin;
    plugin->host = host;
    AEffect& e = plugin->effect;
    e.magic = kEffectMagic;
    e.dispatcher = dispatcher;
    e.setParameter = setParameter;
    e.getParameter = getParameter;
    e.processReplacing = processReplacing;
    e.numPrograms = 3;
    e.numParams = 4;
    e.numOutputs = 2;
    e.flags = effFlagsCanReplacing | effFlagsIsSynth;
    e.object = plugin;
    e.uniqueID = uniqueId;
    e.version = 3;
    // Hosts must answer this during the entry call, before they know the record.
    if (host(&e, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) {
        delete plugin;
        return nullptr;
    }
    if (FAKE_VARIANT == 5) {
        // A host never closes such a record: the module keeps it instead.
        static std::vector<std::unique_ptr<FakePlugin>> unclosable;
        unclosable.emplace_back(plugin);
        e.magic = fourCC('N', 'o', 'p', 'e');
    }
    return &e;
}

}  // namespace

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

// Lets a test read which opcodes this module's instances received.
FAKE_EXPORT const VstInt32* fakeDispatchLog(int* count) {
    *count = static_cast<int>(dispatchLog.size());
    return dispatchLog.data();
}
FAKE_EXPORT void fakeClearLog() { dispatchLog.clear(); }
FAKE_EXPORT VstIntPtr fakeTimeInfoAnswer(AEffect* effect) { return fake(effect).timeInfoAnswer; }
FAKE_EXPORT double fakeTempoAtOpen(AEffect* effect) { return fake(effect).tempoAtOpen; }

#if FAKE_VARIANT == 1 || FAKE_VARIANT == 4 || FAKE_VARIANT == 5
FAKE_EXPORT AEffect* VSTPluginMain(audioMasterCallback host) {
    return FAKE_VARIANT == 4 ? nullptr : createEffect(host, fourCC('F', 'k', 'V', 'M'));
}
#endif
#if FAKE_VARIANT == 1 || FAKE_VARIANT == 2
// The legacy entry is exported under the name "main".
FAKE_EXPORT AEffect* legacyMain(audioMasterCallback host) __asm__("main");
FAKE_EXPORT AEffect* legacyMain(audioMasterCallback host) { return createEffect(host, fourCC('F', 'k', 'M', 'n')); }
#endif
