// SPDX-License-Identifier: MIT
#pragma once
// The canvas of every system without native drawing (X11, headless): it
// draws into a 24-bit RGB image with the native conventions (a line leaves
// out its last pixel; filled rectangles leave out their right and bottom
// edges) and text from the built-in glyph data, so that every such system
// shows the same pixels.
#include <memory>

#include "gui/canvas.h"
#include "gui/software/pixel_image.h"

namespace velora::gui {

struct GlyphFont;

// A bitmap held in memory.
class SoftwareImage : public PlatformImage {
public:
    explicit SoftwareImage(PixelImage pixels) : pixels_(std::move(pixels)) {}
    int width() const override { return pixels_.width(); }
    int height() const override { return pixels_.height(); }
    const PixelImage& pixels() const { return pixels_; }

private:
    PixelImage pixels_;
};

class SoftwareCanvas : public Canvas {
public:
    // Draws into `target`, whose top-left pixel is at `origin` in the
    // coordinates the callers use.
    explicit SoftwareCanvas(PixelImage& target, Point origin = {});
    // An off-screen canvas with an image of its own, origin at 0, 0.
    SoftwareCanvas(int width, int height);

    // Limits drawing to an area (caller coordinates), as a paint pass does.
    void setClip(const Rect& area);
    const PixelImage& image() const { return *target_; }

    void drawImage(const PlatformImage& image, const Rect& dest, Point source) override;
    void drawImageKeyed(const PlatformImage& image, const Rect& dest, Point source, Colour key) override;
    void drawLine(Point from, Point to, Colour colour) override;
    void fillRect(const Rect& rect, Colour colour) override;
    void frameRect(const Rect& rect, Colour colour) override;
    void drawText(std::string_view text, const Rect& box, const TextStyle& style) override;
    // The same in a font of the caller's, e.g. one rasterised at another
    // height by a build-time program.
    void drawText(std::string_view text, const Rect& box, const TextStyle& style, const GlyphFont& font);
    std::unique_ptr<Canvas> createOffscreen(int width, int height) override;
    void copyOffscreen(const Canvas& offscreen, const Rect& dest) override;

private:
    void copyPixels(const PixelImage& from, const Rect& dest, Point source, const Colour* key);
    void plot(int x, int y, Colour colour);
    Rect toImage(const Rect& r) const { return r.offset(-origin_.h, -origin_.v); }

    std::unique_ptr<PixelImage> owned_;
    PixelImage* target_;
    Point origin_;
    Rect clip_;  // image coordinates
};

}  // namespace velora::gui
