// SPDX-License-Identifier: MIT
#pragma once
// The small bitmaps the controls draw themselves from: slider handle, knob
// body and indicator dot, toggle pills and the plus and minus buttons.
#include "font_text.h"
#include "raster.h"

namespace velora::artwork {

Image drawHandle(int percent = 100);
// The ball is anti-aliased against the panel pixels it sits on (a 21 x 21
// crop round one knob); everything outside it is magenta.
Image drawKnobBody(const Raster& panelBehind);
Image drawKnobDot(int percent = 100);
// Two frames, off above on; the corners blend into the given surround.
// Larger sizes letter the pill in the label font (`text`, needed there).
Image drawTogglePill(Colour surround, bool darkBar, int percent = 100, const FontText* text = nullptr);
Image drawStepButton(bool plus, int percent = 100);

}  // namespace velora::artwork
