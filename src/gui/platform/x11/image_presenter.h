// SPDX-License-Identifier: MIT
#pragma once
// Shows areas of a pixel image in an X window with XPutImage, in the
// window's own visual.
#include <cstdint>
#include <vector>

#include "gui/platform/x11/xlib_library.h"
#include "gui/software/pixel_image.h"

namespace velora::gui::x11 {

class ImagePresenter {
public:
    // The visual must be TrueColor (see supports()).
    ImagePresenter(const Xlib& x, Display* display, ::Window window, Visual* visual, int depth);
    ~ImagePresenter();
    ImagePresenter(const ImagePresenter&) = delete;
    ImagePresenter& operator=(const ImagePresenter&) = delete;

    static bool supports(const Visual* visual);

    // Copies `area` of `image` to the same place in the window.
    void present(const PixelImage& image, const Rect& area);

private:
    const Xlib& x_;
    Display* display_;
    ::Window window_;
    Visual* visual_;
    int depth_;
    GC gc_ = nullptr;
    std::vector<std::uint8_t> buffer_;
};

}  // namespace velora::gui::x11
