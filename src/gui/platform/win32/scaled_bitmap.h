// SPDX-License-Identifier: MIT
#pragma once
// The larger sizes of the editor's bitmaps, kept in the DLL as raw data in
// their run-length form, made into DIB sections like the 1x bitmaps.
#include <memory>

#include "gui/canvas.h"

namespace velora::gui::win32 {

// Null when the DLL has no such data or it does not decode.
std::unique_ptr<PlatformImage> loadScaledBitmap(int resourceId);

}  // namespace velora::gui::win32
