// SPDX-License-Identifier: MIT
#pragma once
// The drawing surface of one paint or idle pass, or an off-screen image.
// Coordinates are frame coordinates on a window surface and local ones (0, 0
// at the top-left) on an off-screen image. The conventions are the native
// system's: a line leaves out its last pixel, filled rectangles leave out
// their right and bottom edges.
#include <memory>
#include <string_view>

#include "gui/font_table.h"
#include "gui/geometry.h"

namespace velora::gui {

// A loaded bitmap in the form the platform draws fastest.
class PlatformImage {
public:
    virtual ~PlatformImage() = default;
    virtual int width() const = 0;
    virtual int height() const = 0;
};

enum Alignment : int { kAlignLeft = 0, kAlignCentre = 1, kAlignRight = 2 };

struct TextStyle {
    FontRequest font;
    Colour colour = kWhite;
    int alignment = kAlignCentre;
    bool paintBackground = false;  // fill the text's cells with `background`
    Colour background = kBlack;
};

class Canvas {
public:
    virtual ~Canvas() = default;

    // Copies the source rectangle of the destination's size at `source`.
    virtual void drawImage(const PlatformImage& image, const Rect& dest, Point source) = 0;
    // The same, leaving every pixel of colour `key` unpainted.
    virtual void drawImageKeyed(const PlatformImage& image, const Rect& dest, Point source, Colour key) = 0;
    virtual void drawLine(Point from, Point to, Colour colour) = 0;
    virtual void fillRect(const Rect& rect, Colour colour) = 0;
    virtual void frameRect(const Rect& rect, Colour colour) = 0;
    // One line of text, vertically centred in `box`, clipped to it.
    virtual void drawText(std::string_view text, const Rect& box, const TextStyle& style) = 0;

    // An off-screen image compatible with this surface, and its copy here.
    virtual std::unique_ptr<Canvas> createOffscreen(int width, int height) = 0;
    virtual void copyOffscreen(const Canvas& offscreen, const Rect& dest) = 0;
};

}  // namespace velora::gui
