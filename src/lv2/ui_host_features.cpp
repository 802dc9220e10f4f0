// SPDX-License-Identifier: MIT
#include "lv2/ui_host_features.h"

#include <cmath>
#include <cstring>

#include "lv2/atom/atom.h"

namespace velora::lv2 {

HostFeatures featuresOf(const LV2_Feature* const* features) {
    HostFeatures found;
    for (auto* each = features; each && *each; ++each) {
        const LV2_Feature& feature = **each;
        if (!feature.URI || !feature.data) continue;
        const char* uri = feature.URI;
        if (std::strcmp(uri, LV2_UI__parent) == 0) found.parent = feature.data;
        if (std::strcmp(uri, LV2_URID__map) == 0) found.map = static_cast<const LV2_URID_Map*>(feature.data);
        if (std::strcmp(uri, LV2_UI__resize) == 0) found.resize = static_cast<const LV2UI_Resize*>(feature.data);
        if (std::strcmp(uri, LV2_UI__touch) == 0) found.touch = static_cast<const LV2UI_Touch*>(feature.data);
        if (std::strcmp(uri, LV2_OPTIONS__options) == 0)
            found.options = static_cast<const LV2_Options_Option*>(feature.data);
    }
    return found;
}

namespace {

std::optional<double> numberOf(const LV2_Options_Option& option, LV2_URID floatType, LV2_URID doubleType) {
    if (!option.value) return std::nullopt;
    double value;
    if (option.type == floatType && option.size >= sizeof(float)) {
        float single;
        std::memcpy(&single, option.value, sizeof single);
        value = single;
    } else if (option.type == doubleType && option.size >= sizeof(double)) {
        std::memcpy(&value, option.value, sizeof value);
    } else {
        return std::nullopt;
    }
    if (!std::isfinite(value) || value <= 0.0) return std::nullopt;
    return value;
}

}  // namespace

std::optional<double> hostScaleFactor(const LV2_Options_Option* options, const LV2_URID_Map* map) {
    if (!options || !map || !map->map) return std::nullopt;
    const LV2_URID key = map->map(map->handle, LV2_UI__scaleFactor);
    const LV2_URID floatType = map->map(map->handle, LV2_ATOM__Float);
    const LV2_URID doubleType = map->map(map->handle, LV2_ATOM__Double);
    if (key == 0) return std::nullopt;
    for (const LV2_Options_Option* option = options; option->key != 0 || option->value; ++option) {
        if (option->key != key || option->context != LV2_OPTIONS_INSTANCE) continue;
        if (auto value = numberOf(*option, floatType, doubleType)) return value;
    }
    return std::nullopt;
}

}  // namespace velora::lv2
