// SPDX-License-Identifier: MIT
#include "gui/platform/headless/module_bitmaps.h"

#include "gui/software/resource_pixels.h"
#include "resources/bitmap_ids.h"
#include "resources/bitmap_resource.h"

namespace velora::gui {

void addModuleBitmaps(HeadlessPlatform& platform, int missing) {
    for (int id = resources::kFirstBitmapId; id <= resources::kLastBitmapId; ++id) {
        if (id == missing) continue;
        if (const resources::BitmapResource* resource = resources::findBitmapResource(id))
            platform.addBitmap(id, pixelsOf(*resource));
    }
}

}  // namespace velora::gui
