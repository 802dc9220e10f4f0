// SPDX-License-Identifier: MIT
// The plug-in's exported entry points. Current hosts look up VSTPluginMain;
// older ones look up `main`, which C++ cannot declare with this signature.
// On Linux it gets its symbol name through an assembler label; the Windows
// DLL exports it under that name through velora.def.
#include <new>

#include "shell/synth_effect.h"
#include "vst/aeffect.h"

#if defined(_WIN32)
#define VELORA_EXPORT
#define VELORA_MAIN_SYMBOL
#else
#define VELORA_EXPORT __attribute__((visibility("default")))
#define VELORA_MAIN_SYMBOL __asm__("main")
#endif

namespace {

vst::AEffect* createInstance(vst::audioMasterCallback host) noexcept {
    // A host that gives no callback, or answers the version query with 0,
    // is too old: nothing is allocated.
    if (host == nullptr || host(nullptr, vst::audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) return nullptr;
    auto* instance = new (std::nothrow) velora::SynthEffect(host);
    return instance != nullptr ? instance->effect() : nullptr;
}

}  // namespace

extern "C" VELORA_EXPORT vst::AEffect* VSTPluginMain(vst::audioMasterCallback host) { return createInstance(host); }

extern "C" VELORA_EXPORT vst::AEffect* veloraLegacyMain(vst::audioMasterCallback host) VELORA_MAIN_SYMBOL;
extern "C" VELORA_EXPORT vst::AEffect* veloraLegacyMain(vst::audioMasterCallback host) { return createInstance(host); }
