// The plug-in's exported entry points. Current hosts look up VSTPluginMain;
// older ones look up `main`, which C++ cannot declare with this signature, so
// it is given its symbol name through an assembler label.
#include <new>

#include "shell/synth_effect.h"
#include "vst/aeffect.h"

#if defined(_WIN32)
#define VELORA_EXPORT __declspec(dllexport)
#else
#define VELORA_EXPORT __attribute__((visibility("default")))
#endif

#define VELORA_STRINGIFY2(x) #x
#define VELORA_STRINGIFY(x) VELORA_STRINGIFY2(x)
#define VELORA_SYMBOL(name) VELORA_STRINGIFY(__USER_LABEL_PREFIX__) name

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

extern "C" VELORA_EXPORT vst::AEffect* veloraLegacyMain(vst::audioMasterCallback host) __asm__(VELORA_SYMBOL("main"));
extern "C" VELORA_EXPORT vst::AEffect* veloraLegacyMain(vst::audioMasterCallback host) { return createInstance(host); }
