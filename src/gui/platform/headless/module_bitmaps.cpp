#include "gui/platform/headless/module_bitmaps.h"

#include "gui/software/resource_pixels.h"
#include "resources/bitmap_resource.h"

namespace velora::gui {
namespace {

constexpr int kFirstId = 10001;
constexpr int kLastId = 10040;

}  // namespace

void addModuleBitmaps(HeadlessPlatform& platform, int missing) {
    for (int id = kFirstId; id <= kLastId; ++id) {
        if (id == missing) continue;
        if (const resources::BitmapResource* resource = resources::findBitmapResource(id))
            platform.addBitmap(id, pixelsOf(*resource));
    }
}

}  // namespace velora::gui
