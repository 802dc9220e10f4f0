// SPDX-License-Identifier: MIT
#pragma once
// What a host hands the user interface at instantiation: its parent window,
// the URID map, the resize and touch features and its options, of which the
// interface reads the scale the host draws its own windows at.
#include <optional>

#include "lv2/options/options.h"
#include "lv2/ui/ui.h"
#include "lv2/urid/urid.h"

namespace velora::lv2 {

struct HostFeatures {
    void* parent = nullptr;
    const LV2_URID_Map* map = nullptr;
    const LV2UI_Resize* resize = nullptr;
    const LV2UI_Touch* touch = nullptr;
    const LV2_Options_Option* options = nullptr;
};

// Features without a URI or without data are skipped; the list may be null.
HostFeatures featuresOf(const LV2_Feature* const* features);

// The host's ui:scaleFactor among its options, a float or a double above
// zero; none when it is absent, of another type, or not a usable number.
std::optional<double> hostScaleFactor(const LV2_Options_Option* options, const LV2_URID_Map* map);

}  // namespace velora::lv2
