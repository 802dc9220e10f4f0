// SPDX-License-Identifier: MIT
#include "gui/platform/x11/image_presenter.h"

#include "gui/platform/x11/pixel_packing.h"

namespace velora::gui::x11 {

ImagePresenter::ImagePresenter(const Xlib& x, Display* display, ::Window window, Visual* visual, int depth)
    : x_(x), display_(display), window_(window), visual_(visual), depth_(depth) {
    gc_ = x_.CreateGC(display_, window_, 0, nullptr);
}

ImagePresenter::~ImagePresenter() {
    if (gc_) x_.FreeGC(display_, gc_);
}

bool ImagePresenter::supports(const Visual* visual) { return visual && visual->c_class == TrueColor; }

void ImagePresenter::present(const PixelImage& image, const Rect& area) {
    const Rect visible = area.clippedTo(image.bounds());
    if (visible.isEmpty() || !gc_ || !supports(visual_)) return;
    const auto width = static_cast<unsigned>(visible.width());
    const auto height = static_cast<unsigned>(visible.height());
    // Xlib works out the server's pixel size and row padding for the depth.
    XImage* picture =
        x_.CreateImage(display_, visual_, static_cast<unsigned>(depth_), ZPixmap, 0, nullptr, width, height, 32, 0);
    if (!picture) return;
    PixelLayout layout;
    layout.redMask = static_cast<std::uint32_t>(visual_->red_mask);
    layout.greenMask = static_cast<std::uint32_t>(visual_->green_mask);
    layout.blueMask = static_cast<std::uint32_t>(visual_->blue_mask);
    layout.depth = depth_;
    layout.bitsPerPixel = picture->bits_per_pixel;
    layout.mostSignificantFirst = picture->byte_order == MSBFirst;
    if (layout.isSupported() && picture->bytes_per_line > 0) {
        buffer_.resize(static_cast<std::size_t>(picture->bytes_per_line) * height);
        packPixels(image, visible, layout, buffer_.data(), picture->bytes_per_line);
        picture->data = reinterpret_cast<char*>(buffer_.data());
        x_.PutImage(display_, window_, gc_, picture, 0, 0, visible.left, visible.top, width, height);
    }
    picture->data = nullptr;  // ours, not Xlib's to free
    XDestroyImage(picture);
}

}  // namespace velora::gui::x11
