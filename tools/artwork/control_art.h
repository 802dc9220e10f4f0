// SPDX-License-Identifier: MIT
#pragma once
// The small bitmaps the controls draw themselves from: slider handle, knob
// body and indicator dot, toggle pills and the plus and minus buttons.
#include "raster.h"

namespace velora::artwork {

Image drawHandle();
// The ball is anti-aliased against the panel pixels it sits on (a 21 x 21
// crop round one knob); everything outside it is magenta.
Image drawKnobBody(const Raster& panelBehind);
Image drawKnobDot();
// Two frames, off above on; the corners blend into the given surround.
Image drawTogglePill(Colour surround, bool darkBar);
Image drawStepButton(bool plus);

}  // namespace velora::artwork
