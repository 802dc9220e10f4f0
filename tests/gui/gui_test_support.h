// SPDX-License-Identifier: MIT
#pragma once
// A frame on the headless platform with a recording editor and listener.
#include <memory>
#include <vector>

#include "gui/frame.h"
#include "gui/platform/headless/headless_platform.h"

namespace velora::gui::test {

struct Edit {
    bool begin;
    std::int32_t tag;
    friend bool operator==(const Edit&, const Edit&) = default;
};

struct RecordingOwner : FrameOwner {
    std::vector<Edit> edits;
    int dragIdles = 0;
    int mode = 0;
    void beginEdit(std::int32_t tag) override { edits.push_back({true, tag}); }
    void endEdit(std::int32_t tag) override { edits.push_back({false, tag}); }
    void idleDuringDrag() override { ++dragIdles; }
    int knobMode() const override { return mode; }
};

struct RecordingListener : ValueListener {
    std::vector<float> values;
    void valueChanged(Canvas*, Control* control) override { values.push_back(control->getValue()); }
};

inline PixelImage solidImage(int width, int height, Colour colour) { return PixelImage(width, height, colour); }

inline constexpr Colour kTrack{40, 40, 40};
inline constexpr Colour kHandle{200, 30, 30};
inline constexpr Colour kPanel{90, 120, 150};

// Bitmap ids of the fixture.
enum : int { kPanelId = 1, kTrackId, kHorizontalTrackId, kHandleId, kToggleId, kKnobId, kDotId, kButtonId };

class GuiTest {
protected:
    GuiTest() {
        platform.addBitmap(kPanelId, solidImage(384, 410, kPanel));
        platform.addBitmap(kTrackId, solidImage(23, 83, kTrack));
        platform.addBitmap(kHorizontalTrackId, solidImage(83, 23, kTrack));
        platform.addBitmap(kHandleId, solidImage(15, 14, kHandle));
        PixelImage toggle(19, 16, Colour{0, 0, 0});
        for (int y = 8; y < 16; ++y)
            for (int x = 0; x < 19; ++x) toggle.set(x, y, kWhite);
        platform.addBitmap(kToggleId, toggle);
        platform.addBitmap(kKnobId, solidImage(21, 21, kMagenta));
        platform.addBitmap(kDotId, solidImage(3, 3, kWhite));
        platform.addBitmap(kButtonId, toggle);
        frame = std::make_unique<Frame>(Rect{0, 0, 384, 410}, &parent, &owner, platform);
        Bitmap* panel = Bitmap::load(platform, kPanelId);
        frame->setBackground(panel);
        panel->release();
    }

    // Loads a bitmap for a control that keeps its own reference.
    struct Loaded {
        Bitmap* bitmap;
        ~Loaded() { bitmap->release(); }
        operator Bitmap*() const { return bitmap; }
    };
    Loaded load(int id) { return {Bitmap::load(platform, id)}; }

    template <typename T>
    T* add(T* view) {
        frame->addView(view);
        return view;
    }

    HeadlessWindow& window() { return *platform.lastWindow(); }
    const PixelImage& screen() { return window().screen(); }
    void showWindow() { window().exposeAll(); }
    // A press with the given buttons, then the scripted rounds; the buttons
    // go up after the last.
    void press(Point where, int buttons, std::vector<HeadlessPlatform::InputState> rounds = {}) {
        platform.scriptDrag(std::move(rounds));
        window().press(where, buttons);
    }

    HeadlessPlatform platform;
    RecordingOwner owner;
    RecordingListener listener;
    int parent = 0;
    std::unique_ptr<Frame> frame;
};

}  // namespace velora::gui::test
