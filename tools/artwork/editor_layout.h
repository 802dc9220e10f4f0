// SPDX-License-Identifier: MIT
#pragma once
// Where the editor puts its controls, read from the editor's own control
// table: the artwork prints labels beside them, cuts the slider tracks out
// of the panel behind them and, for the preview, draws them at these places.
#include <span>

#include "editor/control_layout.h"
#include "raster.h"

namespace velora::artwork {

enum class ControlKind { verticalSlider, horizontalSlider, knob, toggle, plusButton, minusButton, statusField };

// The handle's place inside a slider: offset across the travel and the travel
// range along it (the first pixel the handle may reach is always 2).
struct SliderTravel {
    int across;
    int range;
};

struct ControlPlace {
    ControlKind kind;
    int bitmapId;  // track, knob body, toggle or button bitmap; 0 for the status field
    Rect rect;     // frame pixels, right and bottom exclusive
    double previewValue;
    SliderTravel travel;  // sliders only
};

std::span<const ControlPlace> controlPlaces();

constexpr int kFrameWidth = editor::kFrameWidth;
constexpr int kFrameHeight = editor::kFrameHeight;
constexpr int kHandleWidth = 15;
constexpr int kHandleHeight = 14;

SliderTravel sliderTravel(const ControlPlace& slider);

}  // namespace velora::artwork
