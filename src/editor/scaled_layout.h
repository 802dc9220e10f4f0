// SPDX-License-Identifier: MIT
#pragma once
// The control table at a scale: the one place its 1x numbers are multiplied.
// The artwork generator cuts its scaled tracks at these same rectangles.
#include "editor/control_layout.h"
#include "gui/scale.h"

namespace velora::editor {

inline constexpr int kHandleWidth = 15;
inline constexpr int kHandleHeight = 14;

constexpr gui::Rect frameRect(gui::Scale scale) {
    return {0, 0, gui::scaled(kFrameWidth, scale), gui::scaled(kFrameHeight, scale)};
}

// Travel limits are kept relative to the control, so that every slider of a
// row keeps the same travel and the handle the same margins.
constexpr ControlRow scaledRow(const ControlRow& row, gui::Scale scale) {
    ControlRow out = row;
    out.rect = gui::scaled(row.rect, scale);
    out.handleOffset = gui::scaled(row.handleOffset, scale);
    const bool vertical = row.kind == ControlKind::VerticalSlider;
    const std::int32_t origin = vertical ? row.rect.top : row.rect.left;
    const std::int32_t scaledOrigin = vertical ? out.rect.top : out.rect.left;
    if (row.kind == ControlKind::VerticalSlider || row.kind == ControlKind::HorizontalSlider) {
        out.travelMin = scaledOrigin + gui::scaled(row.travelMin - origin, scale);
        out.travelMax = scaledOrigin + gui::scaled(row.travelMax - origin, scale);
    }
    return out;
}

constexpr int scaledBitmapId(std::int32_t id, gui::Scale scale) {
    return resources::bitmapIdAtPercent(id, gui::percentOf(scale));
}

}  // namespace velora::editor
