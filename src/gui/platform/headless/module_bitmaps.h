// SPDX-License-Identifier: MIT
#pragma once
// The bitmaps the plug-in carries, handed to a headless window system as
// the module's resources, so that tests and pictures show the real editor.
#include "gui/platform/headless/headless_platform.h"

namespace velora::gui {

// Every built-in bitmap except the one with id `missing` (0: none missing).
void addModuleBitmaps(HeadlessPlatform& platform, int missing = 0);

}  // namespace velora::gui
