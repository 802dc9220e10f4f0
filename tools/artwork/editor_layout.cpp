// SPDX-License-Identifier: MIT
#include "editor_layout.h"

#include <array>
#include <iterator>

#include "editor/control_layout.h"

namespace velora::artwork {

namespace {

using editor::ControlRow;
using editor::kControlCount;
using editor::kControlTable;

// The value each control shows in the preview picture, in table order.
// clang-format off
constexpr double kPreviewValues[] = {
    0,                                                           // status field
    0.35, 0.2, 0.6, 0.9, 0.45, 0.7, 0.8, 0.4, 0.25, 0.1,         // Tone layer
    0.7, 0.3, 0.5, 1.0, 0.3, 0.0, 0.65, 0.3, 0.15, 0.5,          // Attack layer
    0.5, 0.2, 0.3, 0.15,                                         // Freq Mult, Noise Mix, vibrato
    1,                                                           // A Under ADSR
    0.05, 0.5, 0.75, 0.4,                                        // global envelope
    0.4, 0.6, 0.65, 0.35,                                        // resonator delays and feedbacks
    1, 0.3, 0.45, 0.5, 0.25, 0,                                  // cross delay
    0, 0.8, 0.2,                                                 // distortion
    1, 0.55, 0.3, 0.7,                                           // reverb
    0.5, 0.5, 0.75,                                              // panning, volumes
    0, 1, 0, 0,                                                  // MIDI learn, aftertouch, voice steppers
    1, 1,                                                        // Tone On, Attack On
};
// clang-format on
static_assert(std::size(kPreviewValues) == kControlCount);

ControlKind kindOf(const ControlRow& row) {
    switch (row.kind) {
    case editor::ControlKind::StatusField: return ControlKind::statusField;
    case editor::ControlKind::VerticalSlider: return ControlKind::verticalSlider;
    case editor::ControlKind::HorizontalSlider: return ControlKind::horizontalSlider;
    case editor::ControlKind::Knob: return ControlKind::knob;
    case editor::ControlKind::Toggle: return ControlKind::toggle;
    case editor::ControlKind::Momentary: break;
    }
    return row.tag == editor::kVoiceUpTag ? ControlKind::plusButton : ControlKind::minusButton;
}

const std::array<ControlPlace, kControlCount> kPlaces = [] {
    std::array<ControlPlace, kControlCount> places{};
    for (std::size_t i = 0; i < places.size(); ++i) {
        const ControlRow& row = kControlTable[i];
        const bool vertical = row.kind == editor::ControlKind::VerticalSlider;
        places[i] = {kindOf(row),
                     row.bitmap,
                     {row.rect.left, row.rect.top, row.rect.right, row.rect.bottom},
                     kPreviewValues[i],
                     {vertical ? row.handleOffset.h : row.handleOffset.v, row.travelMax - row.travelMin}};
    }
    return places;
}();

}  // namespace

std::span<const ControlPlace> controlPlaces() { return kPlaces; }

SliderTravel sliderTravel(const ControlPlace& slider) { return slider.travel; }

}  // namespace velora::artwork
