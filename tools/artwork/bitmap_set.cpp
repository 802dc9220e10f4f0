// SPDX-License-Identifier: MIT
#include "bitmap_set.h"

#include "control_art.h"
#include "editor_layout.h"
#include "palette.h"
#include "panel_art.h"
#include "track_art.h"

namespace velora::artwork {

namespace {

bool isSlider(const ControlPlace& p) {
    return p.kind == ControlKind::verticalSlider || p.kind == ControlKind::horizontalSlider;
}

// The vibrato tracks are one row taller than their sliders.
int trackRows(const ControlPlace& p) { return p.bitmapId == 10036 || p.bitmapId == 10037 ? 83 : p.rect.height(); }

}  // namespace

std::map<int, Image> drawAllBitmaps(const FontText& text, int percent) {
    std::map<int, Image> bitmaps;
    const Raster panel = drawPanelArtwork(text, percent);
    bitmaps[10001] = quantise(panel);
    bitmaps[10002] = drawHandle(percent);
    for (const ControlPlace& place : controlPlaces()) {
        if (isSlider(place) && !bitmaps.contains(place.bitmapId)) {
            const bool darkBar = place.rect.top >= 368;
            bitmaps[place.bitmapId] = quantise(drawTrack(panel, place, trackRows(place), darkBar));
        }
        if (place.kind == ControlKind::knob && !bitmaps.contains(10030))
            bitmaps[10030] = drawKnobBody(panel.crop(place.rect));
    }
    bitmaps[10031] = drawKnobDot(percent);
    bitmaps[10029] = drawTogglePill(palette::face, false, percent, &text);
    bitmaps[10035] = drawTogglePill(palette::bar, true, percent, &text);
    bitmaps[10038] = drawStepButton(true, percent);
    bitmaps[10039] = drawStepButton(false, percent);
    return bitmaps;
}

}  // namespace velora::artwork
