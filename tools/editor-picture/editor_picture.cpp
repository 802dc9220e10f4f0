// SPDX-License-Identifier: MIT
// velora-editor-picture: the editor as it opens on one program, drawn on the
// headless window system with the plug-in's own bitmaps and written as PNG.
//
//   velora-editor-picture OUTPUT.png [--program N] [--scale S]
//                         (N = 0..63, default 1; S = 1, 1.5 or 2, default 1)
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "editor/synth_editor.h"
#include "gui/platform/headless/module_bitmaps.h"
#include "png_writer.h"
#include "shell/synth_effect.h"

namespace {

// A host that only answers the version query.
vst::VstIntPtr quietHost(vst::AEffect*, vst::VstInt32 opcode, vst::VstInt32, vst::VstIntPtr, void*, float) {
    return opcode == vst::audioMasterVersion ? 2400 : 0;
}

int usage() {
    std::fprintf(stderr, "usage: velora-editor-picture OUTPUT.png [--program N] [--scale 1|1.5|2]\n");
    return 2;
}

bool parseProgram(const char* text, int& program) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < 0 || value > 63) return false;
    program = static_cast<int>(value);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    std::string output;
    int program = 1;
    float scale = 1.0f;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--program") == 0) {
            if (++i >= argc || !parseProgram(argv[i], program)) return usage();
        } else if (std::strcmp(argv[i], "--scale") == 0) {
            if (++i >= argc) return usage();
            scale = std::strtof(argv[i], nullptr);
            if (scale != 1.0f && scale != 1.5f && scale != 2.0f) return usage();
        } else if (output.empty()) {
            output = argv[i];
        } else {
            return usage();
        }
    }
    if (output.empty()) return usage();

    // The picture shows what the scale asks for, not a size chosen on this
    // machine: no configuration folder can be read.
    setenv("XDG_CONFIG_HOME", "/dev/null", 1);
    velora::gui::HeadlessPlatform windows;
    velora::gui::addModuleBitmaps(windows);
    velora::SynthEffect effect(quietHost);
    effect.open();  // the factory sounds
    effect.setProgram(program);
    effect.getEditor()->usePlatform(&windows);
    effect.dispatcher(vst::effVendorSpecific, vst::kScaleMessageIndex, vst::kScaleMessageValue, nullptr, scale);
    int parent = 0;
    if (effect.dispatcher(vst::effEditOpen, 0, 0, &parent, 0.0f) != 1) {
        std::fprintf(stderr, "velora-editor-picture: the editor did not open\n");
        return 1;
    }
    windows.lastWindow()->exposeAll();
    std::string error;
    const velora::gui::PixelImage& screen = windows.lastWindow()->screen();
    const bool written =
        velora::tools::writeRgbPng(screen.width(), screen.height(), screen.bytes().data(), output, error);
    effect.dispatcher(vst::effEditClose, 0, 0, nullptr, 0.0f);
    if (!written) {
        std::fprintf(stderr, "velora-editor-picture: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
