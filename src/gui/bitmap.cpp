// SPDX-License-Identifier: MIT
#include "gui/bitmap.h"

#include "gui/platform/platform.h"

namespace velora::gui {

Bitmap* Bitmap::load(Platform& platform, int resourceId) {
    return new Bitmap(platform.loadBitmap(resourceId), resourceId);
}

Bitmap* Bitmap::fromImage(std::unique_ptr<PlatformImage> image, int resourceId) {
    return new Bitmap(std::move(image), resourceId);
}

Bitmap::Bitmap(std::unique_ptr<PlatformImage> image, int resourceId)
    : resourceId_(resourceId), image_(std::move(image)) {}

void Bitmap::release() {
    if (references_ <= 0) return;
    if (--references_ == 0) delete this;
}

void Bitmap::draw(Canvas& canvas, const Rect& dest, Point source) const {
    if (image_) canvas.drawImage(*image_, dest, source);
}

void Bitmap::drawTransparent(Canvas& canvas, const Rect& dest, Point source) const {
    if (image_) canvas.drawImageKeyed(*image_, dest, source, transparentColour_);
}

}  // namespace velora::gui
