// SPDX-License-Identifier: MIT
// Cost of the software canvas on an editor-sized frame: a full paint of 384 x
// 410 pixels with 33 sliders, 11 knobs and the status text, and the idle
// pass after one slider and the text changed (what a parameter change costs).
#include <benchmark/benchmark.h>

#include <memory>

#include "gui/frame.h"
#include "gui/knob.h"
#include "gui/platform/headless/headless_platform.h"
#include "gui/slider.h"
#include "gui/text_field.h"

namespace {

using namespace velora::gui;

struct NoOwner : FrameOwner {
    void beginEdit(std::int32_t) override {}
    void endEdit(std::int32_t) override {}
    void idleDuringDrag() override {}
    int knobMode() const override { return 0; }
};

struct EditorSizedFrame {
    HeadlessPlatform platform;
    NoOwner owner;
    std::unique_ptr<Frame> frame;
    Slider* slider = nullptr;
    TextField* status = nullptr;

    EditorSizedFrame() {
        platform.addBitmap(1, PixelImage(384, 410, Colour{90, 120, 150}));
        platform.addBitmap(2, PixelImage(23, 83, Colour{40, 40, 40}));
        platform.addBitmap(3, PixelImage(15, 14, Colour{200, 30, 30}));
        platform.addBitmap(4, PixelImage(21, 21, kMagenta));
        platform.addBitmap(5, PixelImage(3, 3, kWhite));
        frame = std::make_unique<Frame>(Rect{0, 0, 384, 410}, nullptr, &owner, platform);
        Bitmap* panel = Bitmap::load(platform, 1);
        Bitmap* track = Bitmap::load(platform, 2);
        Bitmap* handle = Bitmap::load(platform, 3);
        Bitmap* body = Bitmap::load(platform, 4);
        Bitmap* dot = Bitmap::load(platform, 5);
        body->setTransparentColour(kMagenta);
        dot->setTransparentColour(kMagenta);
        frame->setBackground(panel);
        status = new TextField({318, 393, 368, 403}, nullptr, 103, "", nullptr, ValueDisplay::kInset3D);
        status->setFont(6);
        frame->addView(status);
        for (int i = 0; i < 33; ++i) {
            const int left = 8 + (i % 15) * 24, top = 34 + (i / 15) * 100;
            auto* s = new Slider({left, top, left + 23, top + 82}, nullptr, i, top + 2, top + 69, handle, track, {},
                                 Slider::kVertical | Slider::kBottom);
            s->setHandleOffset({4, 0});
            s->setValue(static_cast<float>(i) / 33.0f);
            frame->addView(s);
            if (i == 0) slider = s;
        }
        for (int i = 0; i < 11; ++i) {
            auto* k = new Knob({20 + 30 * i, 340, 41 + 30 * i, 361}, nullptr, 60 + i, body, dot, {});
            k->setTransparency(true);
            frame->addView(k);
        }
        for (Bitmap* b : {panel, track, handle, body, dot}) b->release();
        platform.lastWindow()->exposeAll();
    }
};

void BM_FullPaint(benchmark::State& state) {
    EditorSizedFrame editor;
    for (auto _ : state) editor.platform.lastWindow()->exposeAll();
    benchmark::DoNotOptimize(editor.platform.lastWindow()->screen().bytes().data());
}
BENCHMARK(BM_FullPaint);

void BM_IdleAfterOneChange(benchmark::State& state) {
    EditorSizedFrame editor;
    int round = 0;
    for (auto _ : state) {
        editor.slider->setValue(static_cast<float>(++round % 100) / 100.0f);
        editor.status->setText(round % 2 ? "0.523 dB" : "-12.50 dB");
        editor.frame->idle();
    }
}
BENCHMARK(BM_IdleAfterOneChange);

}  // namespace
