// SPDX-License-Identifier: MIT
#pragma once
// The editor's controls as data: one row per control, in creation order,
// with its kind, parameter tag, place, bitmaps and settings. Header-only:
// the artwork generator and the tests read the same table.
#include <array>
#include <cstdint>

#include "core/param_id.h"
#include "gui/geometry.h"
#include "resources/bitmap_ids.h"

namespace velora::editor {

enum class ControlKind : std::uint8_t {
    StatusField,       // the editable text field that shows values and prompts
    VerticalSlider,    // value 0 at the bottom
    HorizontalSlider,  // value 0 at the left
    Knob,
    Toggle,
    Momentary,  // the voice-limit steppers
};

struct ControlRow {
    ControlKind kind;
    std::int32_t tag;  // the parameter index (103, 105, 106: no parameter)
    gui::Rect rect;
    std::int32_t bitmap;  // background resource id; 0 for none
    // Sliders only: the handle's travel limits in frame coordinates and its
    // offset inside the control.
    std::int32_t travelMin = 0;
    std::int32_t travelMax = 0;
    gui::Point handleOffset{};
};

inline constexpr int kControlCount = 56;

using enum resources::BitmapId;

// Loaded once per open and shared by several controls; every other bitmap
// belongs to a single row.
inline constexpr std::array<std::int32_t, 9> kSharedBitmaps = {
    kBackgroundBitmap,  kHandleBitmap,     kLightToggleBitmap, kKnobBodyBitmap,  kKnobDotBitmap,
    kVolumeTrackBitmap, kDarkToggleBitmap, kVoiceUpBitmap,     kVoiceDownBitmap,
};

inline constexpr int kFrameWidth = 384;
inline constexpr int kFrameHeight = 410;
// The status field and the voice-limit steppers sit on inert indexes.
inline constexpr std::int32_t kStatusTag = kParamInert103;
inline constexpr std::int32_t kVoiceUpTag = kParamInert105;
inline constexpr std::int32_t kVoiceDownTag = kParamInert106;
inline constexpr int kMomentaryFrameHeight = 9;
inline constexpr int kKnobInset = 4;

namespace layout_rows {

using K = ControlKind;

// Travel of the handle: the slot's top + 2 to its bottom + 1 - handle height
// for the upper sliders; the same from the left for the horizontal ones.
constexpr ControlRow tone(std::int32_t tag, std::int32_t left, std::int32_t bitmap) {
    return {K::VerticalSlider, tag, {left, 34, left + 23, 116}, bitmap, 36, 103, {4, 0}};
}
constexpr ControlRow attack(std::int32_t tag, std::int32_t left, std::int32_t bitmap) {
    return {K::VerticalSlider, tag, {left, 161, left + 23, 243}, bitmap, 163, 230, {4, 0}};
}
constexpr ControlRow delay(std::int32_t tag, std::int32_t top, std::int32_t bitmap) {
    return {K::HorizontalSlider, tag, {18, top, 100, top + 23}, bitmap, 20, 86, {0, 4}};
}
// The bottom bar's sliders stop one pixel earlier (right - handle width).
constexpr ControlRow bar(std::int32_t tag, std::int32_t left, std::int32_t top, std::int32_t bitmap) {
    return {K::HorizontalSlider, tag, {left, top, left + 83, top + 17}, bitmap, left + 2, left + 68, {0, 2}};
}
constexpr ControlRow knob(std::int32_t tag, std::int32_t left, std::int32_t top) {
    return {K::Knob, tag, {left, top, left + 21, top + 21}, kKnobBodyBitmap};
}
constexpr ControlRow toggle(std::int32_t tag, std::int32_t left, std::int32_t top, std::int32_t bitmap) {
    return {K::Toggle, tag, {left, top, left + 19, top + 8}, bitmap};
}

}  // namespace layout_rows

// clang-format off
inline constexpr std::array<ControlRow, kControlCount> kControlTable = [] {
    using namespace layout_rows;
    return std::array<ControlRow, kControlCount>{{
        {K::StatusField, kStatusTag, {318, 393, 368, 403}, 0},
        tone(8, 8, 10003),    // T Wave Mix
        tone(0, 38, 10004),   // T Unison Diff
        tone(2, 62, 10005),   // T Unison Amp
        tone(20, 92, 10006),  // T Amp Max Mult
        tone(22, 116, 10007), // T Amp Decay
        tone(24, 140, 10008), // T Amp Min Mult
        tone(32, 170, 10009), // T LP Max Mult
        tone(36, 194, 10011), // T LP Decay
        tone(38, 218, 10012), // T LP Min Mult
        tone(34, 242, 10010), // T LP Res
        attack(10, 8, 10013),   // A Wave Mix
        attack(4, 38, 10014),   // A Unison Diff
        attack(6, 62, 10015),   // A Unison Amp
        attack(26, 92, 10016),  // A Amp Max Mult
        attack(28, 116, 10017), // A Amp Decay
        attack(30, 140, 10018), // A Amp Min Mult
        attack(40, 170, 10019), // A LP Max Mult
        attack(44, 194, 10020), // A LP Decay
        attack(46, 218, 10021), // A LP Min Mult
        attack(42, 242, 10022), // A LP Res
        attack(12, 272, 10023), // A Freq Mult
        attack(14, 296, 10024), // A Noise Mix
        attack(16, 326, 10036), // Vib. Freq: a track one row taller than the slider
        attack(18, 350, 10037), // Vib. Dev: likewise
        toggle(96, 261, 150, kLightToggleBitmap), // A Under ADSR
        tone(48, 281, 10025), // Attack
        tone(50, 305, 10026), // Decay
        tone(52, 329, 10027), // Sustain
        tone(54, 353, 10028), // Release
        delay(56, 296, 10032), // Delay 1
        knob(58, 111, 297),    // Feedback 1
        delay(60, 322, 10033), // Delay 2
        knob(62, 111, 322),    // Feedback 2
        toggle(64, 160, 353, kLightToggleBitmap), // XDelay On
        knob(66, 182, 287),  // XD Length L
        knob(70, 211, 287),  // XD Length R
        knob(68, 167, 312),  // XD FB L
        knob(74, 226, 312),  // XD Mix
        toggle(99, 160, 338, kLightToggleBitmap), // XD Tempo Sync
        toggle(84, 258, 353, kLightToggleBitmap), // Dist. On/Off
        knob(86, 276, 322),  // Dist. Dry
        knob(88, 276, 297),  // Dist. Wet
        toggle(76, 314, 353, kLightToggleBitmap), // Reverb On
        knob(78, 329, 297),  // Reverb Time
        knob(80, 349, 322),  // Reverb Wet
        knob(82, 310, 322),  // Reverb Dry
        bar(90, 190, 374, 10040),              // Panning
        bar(101, 56, 392, kVolumeTrackBitmap), // Volume Minor
        bar(92, 56, 374, kVolumeTrackBitmap),  // Volume Major
        toggle(98, 289, 378, kDarkToggleBitmap), // Midi Learn
        toggle(94, 148, 394, kDarkToggleBitmap), // Aftertouch On
        {K::Momentary, kVoiceUpTag, {274, 395, 283, 404}, kVoiceUpBitmap},
        {K::Momentary, kVoiceDownTag, {283, 395, 292, 404}, kVoiceDownBitmap},
        toggle(107, 61, 23, kLightToggleBitmap), // Tone On
        toggle(108, 69, 150, kLightToggleBitmap), // Attack On
    }};
}();
// clang-format on

namespace layout_detail {

constexpr int kParameterSlots = kParamCount;

// Parameter index -> row of its control, worked out when compiling so that
// any thread may look it up.
constexpr std::array<std::int8_t, kParameterSlots> kRowOfParameter = [] {
    std::array<std::int8_t, kParameterSlots> rows{};
    for (auto& row : rows) row = -1;
    for (int i = 0; i < kControlCount; ++i) {
        const ControlRow& row = kControlTable[static_cast<std::size_t>(i)];
        if (row.kind == ControlKind::StatusField || row.kind == ControlKind::Momentary) continue;
        rows[static_cast<std::size_t>(row.tag)] = static_cast<std::int8_t>(i);
    }
    return rows;
}();

}  // namespace layout_detail

// The row of the control bound to a parameter; -1 for parameters without one
// and for indexes outside the table.
constexpr int rowOfParameter(std::int32_t index) {
    if (index < 0 || index >= layout_detail::kParameterSlots) return -1;
    return layout_detail::kRowOfParameter[static_cast<std::size_t>(index)];
}

}  // namespace velora::editor
