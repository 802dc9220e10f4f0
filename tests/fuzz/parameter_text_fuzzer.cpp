// SPDX-License-Identifier: MIT
// Arbitrary text typed into every parameter: the plug-in either sets a value
// or refuses, and never reads past the terminator.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "shell/synth_effect.h"
#include "vst/aeffect.h"

namespace {

vst::VstIntPtr hostCallback(vst::AEffect*, vst::VstInt32 opcode, vst::VstInt32, vst::VstIntPtr, void*, float) {
    return opcode == vst::audioMasterVersion ? 2400 : 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static vst::AEffect* effect = [] {
        vst::AEffect* e = (new velora::SynthEffect(hostCallback))->effect();
        e->dispatcher(e, vst::effOpen, 0, 0, nullptr, 0.0f);
        return e;
    }();
    std::vector<char> text(data, data + size);
    text.push_back('\0');
    char display[64];
    for (vst::VstInt32 index = -1; index <= 110; ++index) {
        std::vector<char> copy = text;
        effect->dispatcher(effect, vst::effString2Parameter, index, 0, copy.data(), 0.0f);
        effect->dispatcher(effect, vst::effGetParamDisplay, index, 0, display, 0.0f);
        if (std::strlen(display) > 8) __builtin_trap();
    }
    return 0;
}
