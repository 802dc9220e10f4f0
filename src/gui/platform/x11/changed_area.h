// SPDX-License-Identifier: MIT
#pragma once
// The smallest rectangle holding every pixel in which two images of the
// same size differ, so that an idle pass sends only what changed.
#include "gui/software/pixel_image.h"

namespace velora::gui::x11 {

// Empty when the images are equal; all of `now` when their sizes differ.
Rect changedArea(const PixelImage& now, const PixelImage& before);

}  // namespace velora::gui::x11
