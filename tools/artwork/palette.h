// SPDX-License-Identifier: MIT
#pragma once
// One palette for the whole panel: warm light faces on a dark chassis, dark
// engraved lettering, amber for everything that is lit.
#include "raster.h"

namespace velora::artwork::palette {

constexpr Colour chassis = rgb(34, 35, 39);
constexpr Colour titleTop = rgb(52, 53, 58);
constexpr Colour titleBottom = rgb(27, 28, 31);
constexpr Colour titleText = rgb(238, 232, 218);
constexpr Colour titleSubtext = rgb(168, 164, 154);

constexpr Colour face = rgb(220, 216, 206);
constexpr Colour faceHighlight = rgb(246, 244, 238);
constexpr Colour faceShadow = rgb(150, 145, 134);
constexpr Colour ink = rgb(46, 46, 50);
constexpr Colour inkSoft = rgb(104, 100, 93);
constexpr Colour rule = rgb(176, 171, 160);

constexpr Colour bar = rgb(30, 31, 35);
constexpr Colour barEdge = rgb(62, 63, 69);
constexpr Colour barText = rgb(196, 192, 182);

constexpr Colour slot = rgb(44, 44, 48);
constexpr Colour slotDeep = rgb(18, 18, 20);
constexpr Colour barSlot = rgb(8, 8, 9);

constexpr Colour amber = rgb(242, 150, 40);
constexpr Colour amberHot = rgb(255, 214, 130);
constexpr Colour amberDeep = rgb(176, 86, 14);

constexpr Colour knobLight = rgb(104, 106, 114);
constexpr Colour knobBody = rgb(48, 49, 54);
constexpr Colour knobRim = rgb(16, 16, 18);

constexpr Colour capLight = rgb(250, 249, 245);
constexpr Colour capBody = rgb(196, 194, 188);
constexpr Colour capDark = rgb(120, 118, 112);
constexpr Colour capEdge = rgb(54, 54, 58);

}  // namespace velora::artwork::palette
