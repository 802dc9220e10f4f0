// SPDX-License-Identifier: MIT
#include "gui/platform/headless/module_bitmaps.h"

#include "gui/software/resource_pixels.h"
#include "resources/bitmap_ids.h"
#include "resources/bitmap_resource.h"

namespace velora::gui {

void addModuleBitmaps(HeadlessPlatform& platform, int missing) {
    for (int percent : {100, 150, 200})
        for (int id = resources::kFirstBitmapId; id <= resources::kLastBitmapId; ++id) {
            if (id == missing) continue;
            const int sized = resources::bitmapIdAtPercent(id, percent);
            if (const resources::BitmapResource* resource = resources::findBitmapResource(sized))
                platform.addBitmap(sized, pixelsOf(*resource));
        }
}

}  // namespace velora::gui
