#include "gui/platform/headless/module_bitmaps.h"

#include "resources/bitmap_resource.h"

namespace velora::gui {
namespace {

constexpr int kFirstId = 10001;
constexpr int kLastId = 10040;

PixelImage pixelsOf(const resources::BitmapResource& resource) {
    PixelImage pixels(resource.width, resource.height);
    for (int y = 0; y < resource.height; ++y)
        for (int x = 0; x < resource.width; ++x) {
            const resources::Rgb c = resource.pixel(x, y);
            pixels.set(x, y, Colour{c.r, c.g, c.b});
        }
    return pixels;
}

}  // namespace

void addModuleBitmaps(HeadlessPlatform& platform, int missing) {
    for (int id = kFirstId; id <= kLastId; ++id) {
        if (id == missing) continue;
        if (const resources::BitmapResource* resource = resources::findBitmapResource(id))
            platform.addBitmap(id, pixelsOf(*resource));
    }
}

}  // namespace velora::gui
