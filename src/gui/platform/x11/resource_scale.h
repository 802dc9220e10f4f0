// SPDX-License-Identifier: MIT
#pragma once
// The user-interface scale an X11 desktop sets: the Xft.dpi resource of the
// server's resource database (96 dots per inch is 100 %), else GDK_SCALE.

namespace velora::gui::x11 {

// The factor the resource text (as XResourceManagerString hands it over)
// and the GDK_SCALE value give; 0 when neither says anything usable.
double scaleFromResources(const char* resources, const char* gdkScale);

}  // namespace velora::gui::x11
