// SPDX-License-Identifier: MIT
#include "control_art.h"

#include <algorithm>
#include <cmath>

#include "palette.h"
#include "shapes.h"

namespace velora::artwork {

namespace {

namespace pal = palette;
using namespace shapes;

// Keeps only what a shape covers by at least `threshold`, blended against
// `surround`; the rest becomes magenta, which the toolkit does not draw.
Image keyOut(const Raster& art, const Shape& outline, Colour surround, double threshold) {
    Raster keyed = art;
    const double f = art.factor();
    for (int y = 0; y < art.height(); ++y)
        for (int x = 0; x < art.width(); ++x) {
            const double coverage = std::clamp(0.5 - outline((x + 0.5) / f, (y + 0.5) / f) * f, 0.0, 1.0);
            keyed.set(x, y, coverage < threshold ? kMagenta : mix(surround, art.at(x, y), coverage));
        }
    return quantise(keyed);
}

// "ON" as whole pixels: at five pixels high, anti-aliased letters turn to mud.
void drawOnLetters(Raster& r, Colour ink) {
    static const char* const kLetters[] = {
        ".##...#..#", "#..#..##.#", "#..#..#.##", "#..#..#..#", ".##...#..#",
    };
    for (int row = 0; row < 5; ++row)
        for (int col = 0; col < 10; ++col)
            if (kLetters[row][col] == '#') r.setCell(5 + col, 1 + row, ink);
}

}  // namespace

Image drawHandle(int percent) {
    // Square corners: the same handle sits on light panels and the dark bar.
    Raster r(15, 14, pal::capEdge, percent);
    r.fill({1, 1, 14, 13}, rect(1, 1, 14, 13), vertical(pal::capLight, pal::capDark, 1, 13));
    r.fill({1, 1, 14, 13}, rect(1, 1, 14, 2), pal::capLight, 0.9);
    r.fill({1, 1, 14, 13}, rect(1, 12, 14, 13), pal::capDark, 0.6);
    r.fill({1, 1, 14, 13}, rect(13, 1, 14, 13), pal::capDark, 0.4);
    // Grip: a shallow dish with a dark index line across its middle.
    r.fill({1, 1, 14, 13}, circle(7.5, 7, 4.2), vertical(pal::capDark, pal::capLight, 3, 11), 0.55);
    r.fill({1, 1, 14, 13}, rect(3, 6.5, 12, 7.5), pal::capEdge, 0.85);
    for (int corner : {0, 14})
        for (int row : {0, 13}) r.setCell(corner, row, mix(pal::capEdge, pal::capDark, 0.6));
    return quantise(r);
}

Image drawKnobBody(const Raster& panelBehind) {
    constexpr double c = 10.5, radius = 9.7;
    Raster r = panelBehind;
    const Shape ball = circle(c, c, radius);
    const Paint shade = [](double x, double y) {
        // Light from the upper left: brightest off-centre, darkening to the rim.
        const double fromLight = std::hypot(x - 7.2, y - 6.4) / 13.0;
        const double fromCentre = std::hypot(x - c, y - c) / radius;
        Colour body = mix(pal::knobLight, pal::knobBody, std::clamp(fromLight, 0.0, 1.0));
        return mix(body, pal::knobRim, std::clamp((fromCentre - 0.78) / 0.22, 0.0, 1.0));
    };
    r.fill({0, 0, 21, 21}, ball, shade);
    r.fill({0, 0, 21, 21}, outline(circle(c, c, radius - 0.6), 0.45), pal::knobRim, 0.9);
    // Specular glint and a faint lower rim light.
    const Shape glint = circle(7.4, 6.6, 2.4);
    r.fill(
        {0, 0, 21, 21}, [glint](double x, double y) { return glint(x, y) / 1.6; }, rgb(255, 255, 255), 0.32);
    r.fill({0, 0, 21, 21}, minus(circle(c, c + 0.2, radius - 1.4), circle(c, c - 1.0, radius - 1.4)), pal::knobLight,
           0.35);
    return keyOut(r, ball, {}, 0.3);
}

Image drawKnobDot(int percent) {
    if (percent != 100) {
        // The same dot drawn round: a bright core inside a duller edge.
        const Pixel core{255, 250, 236}, edge{214, 206, 188};
        Raster r(3, 3, rgb(edge.r, edge.g, edge.b), percent);
        r.fill({0, 0, 3, 3}, circle(1.5, 1.5, 0.75), rgb(core.r, core.g, core.b));
        return keyOut(r, circle(1.5, 1.5, 1.45), rgb(edge.r, edge.g, edge.b), 0.5);
    }
    Image dot{3, 3, std::vector<Pixel>(9, Pixel{255, 0, 255})};
    const Pixel core{255, 250, 236}, edge{214, 206, 188};
    dot.at(1, 1) = core;
    dot.at(1, 0) = dot.at(0, 1) = dot.at(2, 1) = dot.at(1, 2) = edge;
    return dot;
}

Image drawTogglePill(Colour surround, bool darkBar, int percent, const FontText* text) {
    const Shape pill = roundRect(0, 0, 19, 8, 4);
    const Shape inner = roundRect(1, 1, 18, 7, 3);
    const Rect all{0, 0, 19, 8};

    Raster off(19, 8, surround, percent);
    const Colour rim = darkBar ? rgb(12, 12, 14) : rgb(112, 108, 100);
    off.fill(all, pill, rim);
    off.fill(all, inner,
             darkBar ? vertical(rgb(40, 41, 46), rgb(66, 67, 74), 1, 7)
                     : vertical(rgb(150, 146, 138), rgb(196, 192, 183), 1, 7));

    Raster on(19, 8, surround, percent);
    on.fill(all, pill, darkBar ? rgb(12, 12, 14) : pal::amberDeep);
    on.fill(all, inner, vertical(pal::amberHot, pal::amber, 1, 6));
    on.fill(all, roundRect(2, 1.5, 17, 3.5, 1), rgb(255, 244, 214), 0.35);
    // Whole pixels read best at 1x; from 1.5x on there are enough pixels for
    // real letters of the same cap height.
    if (percent == 100 || !text)
        drawOnLetters(on, rgb(92, 40, 4));
    else
        text->draw(on, {Weight::bold, 7, rgb(92, 40, 4), 0}, 10.0, 6, "ON", Align::centre);
    return stackFrames(quantise(off), quantise(on));
}

Image drawStepButton(bool plus, int percent) {
    auto frame = [plus, percent](bool pressed) {
        Raster r(9, 9, pal::bar, percent);
        r.fill({0, 0, 9, 9}, roundRect(0, 0, 9, 9, 1.5), rgb(8, 8, 10));
        r.fill({0, 0, 9, 9}, roundRect(1, 1, 8, 8, 1),
               pressed ? vertical(rgb(44, 45, 50), rgb(70, 71, 78), 1, 8)
                       : vertical(rgb(112, 113, 121), rgb(64, 65, 72), 1, 8));
        const Colour sign = pressed ? pal::amber : pal::barText;
        const int shift = pressed ? 1 : 0;
        r.fill({0, 0, 9, 9}, rect(2, 4 + shift, 7, 5 + shift), sign);
        if (plus) r.fill({0, 0, 9, 9}, rect(4, 2 + shift, 5, 7 + shift), sign);
        return quantise(r);
    };
    return stackFrames(frame(false), frame(true));
}

}  // namespace velora::artwork
