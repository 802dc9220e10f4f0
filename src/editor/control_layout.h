#pragma once
// The editor's controls as data: one row per control, in creation order,
// with its kind, parameter tag, place, bitmaps and settings.
#include <array>
#include <cstdint>

#include "gui/geometry.h"

namespace velora::editor {

enum class ControlKind : std::uint8_t {
    StatusField,       // the editable text field that shows values and prompts
    VerticalSlider,    // value 0 at the bottom
    HorizontalSlider,  // value 0 at the left
    Knob,
    Toggle,
    Momentary,         // the voice-limit steppers
};

struct ControlRow {
    ControlKind kind;
    std::int32_t tag;       // the parameter index (103, 105, 106: no parameter)
    gui::Rect rect;
    std::int32_t bitmap;    // background resource id; 0 for none
    // Sliders only: the handle's travel limits in frame coordinates and its
    // offset inside the control.
    std::int32_t travelMin = 0;
    std::int32_t travelMax = 0;
    gui::Point handleOffset{};
};

inline constexpr int kControlCount = 56;

enum BitmapId : std::int32_t {
    kBackgroundBitmap = 10001,
    kHandleBitmap = 10002,
    kLightToggleBitmap = 10029,
    kKnobBodyBitmap = 10030,
    kKnobDotBitmap = 10031,
    kVolumeTrackBitmap = 10034,
    kDarkToggleBitmap = 10035,
    kVoiceUpBitmap = 10038,
    kVoiceDownBitmap = 10039,
};

// Loaded once per open and shared by several controls; every other bitmap
// belongs to a single row.
inline constexpr std::array<std::int32_t, 9> kSharedBitmaps = {
    kBackgroundBitmap, kHandleBitmap,      kLightToggleBitmap, kKnobBodyBitmap, kKnobDotBitmap,
    kVolumeTrackBitmap, kDarkToggleBitmap, kVoiceUpBitmap,     kVoiceDownBitmap,
};

inline constexpr int kFrameWidth = 384;
inline constexpr int kFrameHeight = 410;
inline constexpr std::int32_t kStatusTag = 103;
inline constexpr std::int32_t kVoiceUpTag = 105;
inline constexpr std::int32_t kVoiceDownTag = 106;
inline constexpr std::int32_t kVoiceLimitParam = 104;
inline constexpr int kMomentaryFrameHeight = 9;
inline constexpr int kKnobInset = 4;

extern const std::array<ControlRow, kControlCount> kControlTable;

// The row of the control bound to a parameter; -1 for parameters without one
// and for indexes outside the table.
int rowOfParameter(std::int32_t index);

}  // namespace velora::editor
