// SPDX-License-Identifier: MIT
#pragma once
// Slider tracks: the panel behind a slider with the slot its handle runs in.
#include "editor_layout.h"
#include "raster.h"

namespace velora::artwork {

// `rows` may exceed the slider's height (the vibrato tracks carry one spare row).
Raster drawTrack(const Raster& panel, const ControlPlace& slider, int rows, bool darkBar);

}  // namespace velora::artwork
