// SPDX-License-Identifier: MIT
#include "track_art.h"

#include "palette.h"
#include "shapes.h"

namespace velora::artwork {

namespace {

namespace pal = palette;
using namespace shapes;

// The slot follows the handle's centre over its whole travel and reaches
// three pixels past it at both ends. Along is the travel axis, across the other.
struct Slot {
    double alongStart, alongEnd, acrossStart, acrossEnd;
};

Slot slotFor(const ControlPlace& slider) {
    const SliderTravel travel = sliderTravel(slider);
    const bool vertical = slider.kind == ControlKind::verticalSlider;
    const int handleAlong = vertical ? kHandleHeight : kHandleWidth;
    const int handleAcross = vertical ? kHandleWidth : kHandleHeight;
    const double centreAcross = travel.across + handleAcross / 2.0;
    const double width = vertical ? 3.0 : 4.0;  // keeps both edges on whole pixels
    // The handle's first pixel runs from 2 to the travel range (not 2 + range).
    const double firstCentre = 2 + handleAlong / 2.0, lastCentre = travel.range + handleAlong / 2.0;
    return {firstCentre - 3, lastCentre + 3, centreAcross - width / 2, centreAcross + width / 2};
}

}  // namespace

Raster drawTrack(const Raster& panel, const ControlPlace& slider, int rows, bool darkBar) {
    const Rect& place = slider.rect;
    Raster track = panel.crop({place.left, place.top, place.right, place.top + rows});
    const Slot s = slotFor(slider);
    const bool vertical = slider.kind == ControlKind::verticalSlider;
    // Map travel/across coordinates onto x/y.
    auto box = [vertical](double along0, double across0, double along1, double across1) {
        return vertical ? rect(across0, along0, across1, along1) : rect(along0, across0, along1, across1);
    };
    auto rounded = [vertical](double along0, double across0, double along1, double across1, double radius) {
        return vertical ? roundRect(across0, along0, across1, along1, radius)
                        : roundRect(along0, across0, along1, across1, radius);
    };
    const Rect all{0, 0, place.width(), rows};
    const Colour lit = darkBar ? pal::barEdge : pal::faceHighlight;
    const Colour rim = darkBar ? rgb(0, 0, 0) : pal::faceShadow;
    // Lit lower/right lip, dark upper/left lip, then the deep slot itself.
    track.fill(all, rounded(s.alongStart + 1, s.acrossStart + 1, s.alongEnd + 1, s.acrossEnd + 1, 1.5), lit, 0.9);
    track.fill(all, rounded(s.alongStart - 0.5, s.acrossStart - 0.5, s.alongEnd, s.acrossEnd, 1.5), rim, 0.7);
    track.fill(all, rounded(s.alongStart, s.acrossStart, s.alongEnd, s.acrossEnd, 1.5),
               darkBar ? pal::barSlot : pal::slot);
    track.fill(all, box(s.alongStart + 1, s.acrossStart, s.alongEnd - 1, s.acrossStart + 1),
               darkBar ? rgb(0, 0, 0) : pal::slotDeep, 0.8);
    return track;
}

}  // namespace velora::artwork
