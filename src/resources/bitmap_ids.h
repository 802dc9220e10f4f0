// SPDX-License-Identifier: MIT
#pragma once
// The editor's bitmap resource ids, 10001..10040: the editor, the resource
// builds (CMake reads the first and last id from this file), the window
// systems, the artwork generator and the tests take them from here.
#include <cstdint>

namespace velora::resources {

inline constexpr std::int32_t kFirstBitmapId = 10001;
inline constexpr std::int32_t kLastBitmapId = 10040;

// The same bitmap drawn for a larger editor: 1.5x at id + 10000, 2x at
// id + 20000 (the percent names the size: 100, 150, 200).
constexpr std::int32_t bitmapIdAtPercent(std::int32_t id, int percent) {
    return percent == 150 ? id + 10000 : percent == 200 ? id + 20000 : id;
}

// The bitmaps several controls share; every other id belongs to one control
// of the layout table.
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

}  // namespace velora::resources
