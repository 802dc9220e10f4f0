// SPDX-License-Identifier: MIT
#pragma once
// Printed labels in Liberation Sans, rasterised by the toolkit's own glyph
// rasteriser at whole pixel heights, so panel text and text drawn at run time
// come from the same glyphs.
#include <memory>
#include <string>
#include <string_view>

#include "raster.h"

namespace velora::artwork {

enum class Weight { regular, bold };
enum class Align { left, centre, right };

struct TextStyle {
    Weight weight = Weight::regular;
    int pixelHeight = 9;
    Colour colour{};
    int tracking = 0;  // extra pixels after each letter (titles)
};

class FontText {
public:
    FontText(const std::string& regularFile, const std::string& boldFile);
    ~FontText();
    FontText(const FontText&) = delete;
    FontText& operator=(const FontText&) = delete;

    bool ready() const;
    int width(const TextStyle& style, std::string_view text) const;
    // The width in 1x pixels of the text as a raster of that size sets it.
    double width(const TextStyle& style, std::string_view text, int percent) const;
    // x is the left edge, centre or right edge by align; baseline in 1x
    // pixels. Larger rasters get the letters rasterised at the larger size.
    void draw(Raster& target, const TextStyle& style, double x, int baseline, std::string_view text,
              Align align = Align::left) const;

private:
    struct Library;
    std::unique_ptr<Library> library_;
};

}  // namespace velora::artwork
