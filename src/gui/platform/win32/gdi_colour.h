// SPDX-License-Identifier: MIT
#pragma once
#include <windows.h>

#include "gui/geometry.h"

namespace velora::gui::win32 {

inline COLORREF toColorRef(Colour colour) { return RGB(colour.red, colour.green, colour.blue); }

}  // namespace velora::gui::win32
