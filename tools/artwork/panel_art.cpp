// SPDX-License-Identifier: MIT
#include "panel_art.h"

#include <cmath>
#include <numbers>

#include "editor_layout.h"
#include "palette.h"
#include "shapes.h"

namespace velora::artwork {

namespace {

namespace pal = palette;
using namespace shapes;

const TextStyle kTitle{Weight::bold, 9, pal::ink, 0};
const TextStyle kLabel{Weight::regular, 9, pal::ink, 0};
const TextStyle kGroup{Weight::regular, 9, pal::inkSoft, 0};
const TextStyle kBarLabel{Weight::regular, 9, pal::barText, 0};

Rect around(const Rect& r, int margin) {
    return {r.left - margin, r.top - margin, r.right + margin, r.bottom + margin};
}

// A raised face with a one-pixel bevel and softly rounded corners.
void drawFace(Raster& r, const Rect& area) {
    const double radius = 3.5;
    r.fill(around(area, 1), roundRect(area.left, area.top, area.right, area.bottom, radius), pal::faceShadow);
    r.fill(around(area, 1), roundRect(area.left, area.top, area.right - 1, area.bottom - 1, radius - 0.5),
           pal::faceHighlight);
    r.fill(area, roundRect(area.left + 1, area.top + 1, area.right - 1, area.bottom - 1, radius - 1), pal::face);
}

// Engraved vertical rule between column groups.
void drawGroove(Raster& r, int x, int top, int bottom) {
    r.fill({x, top, x + 2, bottom}, rect(x, top, x + 1, bottom), pal::rule);
    r.fill({x, top, x + 2, bottom}, rect(x + 1, top, x + 2, bottom), pal::faceHighlight, 0.8);
}

// A group name under a bracket line that spans its columns.
void drawGroup(Raster& r, const FontText& text, int left, int right, int lineY, std::string_view name) {
    const Colour line = mix(pal::face, pal::inkSoft, 0.55);
    r.fill({left, lineY - 3, right, lineY + 1}, rect(left + 2, lineY, right - 2, lineY + 1), line);
    r.fill({left, lineY - 3, right, lineY + 1}, rect(left + 2, lineY - 2, left + 3, lineY + 1), line);
    r.fill({left, lineY - 3, right, lineY + 1}, rect(right - 3, lineY - 2, right - 2, lineY + 1), line);
    text.draw(r, kGroup, (left + right) / 2.0, lineY + 9, name, Align::centre);
}

void drawColumnLabel(Raster& r, const FontText& text, int left, int right, int baseline, std::string_view name) {
    text.draw(r, kLabel, (left + right) / 2.0, baseline, name, Align::centre);
}

void drawTitle(Raster& r, const FontText& text, int x, int baseline, std::string_view name) {
    text.draw(r, kTitle, x, baseline, name);
}

void drawTitleStrip(Raster& r, const FontText& text) {
    const Rect strip{0, 0, kFrameWidth, 19};
    r.fill(strip, rect(0, 0, kFrameWidth, 19), vertical(pal::titleTop, pal::titleBottom, 0, 19));
    r.fill(strip, rect(0, 0, kFrameWidth, 1), rgb(86, 87, 94));
    r.fill(strip, rect(0, 18, kFrameWidth, 19), horizontal(pal::amberDeep, pal::titleBottom, 0, kFrameWidth), 0.8);
    text.draw(r, {Weight::bold, 14, pal::titleText, 1}, 9, 15, "Velora");
    const double nameWidth = text.width({Weight::bold, 14, pal::titleText, 1}, "Velora", r.percent());
    r.fill({0, 0, 120, 19}, circle(9 + nameWidth + 4.5, 12.5, 1.6), pal::amber);
    text.draw(r, {Weight::regular, 10, pal::titleSubtext, 0}, 376, 14, "Kiru Sound Design", Align::right);
}

// Dots at a knob's ends of travel (lower left, lower right) and its middle.
void drawKnobScale(Raster& r, const Rect& knob) {
    const double cx = (knob.left + knob.right) / 2.0, cy = (knob.top + knob.bottom) / 2.0;
    for (int step = 0; step <= 2; ++step) {
        const double angle = 1.25 * std::numbers::pi - step * 0.75 * std::numbers::pi;
        const double x = cx + std::cos(angle) * 12.4, y = cy - std::sin(angle) * 12.4;
        r.fill(around(knob, 3), circle(x, y, 0.8), pal::inkSoft);
    }
    // A soft shadow the ball sits in.
    const Shape shadow = circle(cx + 0.6, cy + 1.2, 10.2);
    r.fill(
        around(knob, 3), [shadow](double x, double y) { return shadow(x, y) / 2.5; }, pal::faceShadow, 0.55);
}

// The columns both synth panels share. "Offset" and "Decay" are wider than
// their columns, so their neighbours move aside a little.
void drawSynthColumnLabels(Raster& r, const FontText& text, int baseline) {
    drawColumnLabel(r, text, 36, 61, baseline, "Offset");
    drawColumnLabel(r, text, 64, 85, baseline, "Amp");
    drawColumnLabel(r, text, 90, 115, baseline, "Init");
    drawColumnLabel(r, text, 116, 139, baseline, "Decay");
    drawColumnLabel(r, text, 145, 163, baseline, "Final");
    drawColumnLabel(r, text, 168, 193, baseline, "Init");
    drawColumnLabel(r, text, 194, 217, baseline, "Decay");
    drawColumnLabel(r, text, 222, 241, baseline, "Final");
    drawColumnLabel(r, text, 242, 265, baseline, "Res");
}

void drawToneSynth(Raster& r, const FontText& text) {
    drawFace(r, {2, 20, 271, 145});
    drawTitle(r, text, 6, 30, "Tone Synth");
    for (int x : {34, 88, 166}) drawGroove(r, x, 36, 141);
    const int label = 125;
    drawSynthColumnLabels(r, text, label);
    drawGroup(r, text, 6, 33, 129, "Wave");
    drawGroup(r, text, 38, 85, 129, "Unison");
    drawGroup(r, text, 92, 163, 129, "Attack Shape");
    drawGroup(r, text, 170, 265, 129, "Filter Envelope");
}

// A small attack-decay-sustain-release outline where the other panels print
// their group names.
void drawEnvelopeSketch(Raster& r, const Rect& box) {
    const double x0 = box.left, x1 = box.right, top = box.top, bottom = box.bottom;
    const double w = x1 - x0, sustain = top + (bottom - top) * 0.45;
    const double points[][2] = {
        {x0, bottom}, {x0 + w * 0.16, top}, {x0 + w * 0.36, sustain}, {x0 + w * 0.72, sustain}, {x1, bottom}};
    const Colour line = mix(pal::face, pal::inkSoft, 0.8);
    for (int i = 0; i + 1 < 5; ++i)
        r.fill(around(box, 2), segment(points[i][0], points[i][1], points[i + 1][0], points[i + 1][1], 0.45), line);
}

void drawGlobalEnvelope(Raster& r, const FontText& text) {
    drawFace(r, {273, 20, 382, 145});
    drawTitle(r, text, 279, 30, "Global Envelope");
    const int label = 125;
    drawColumnLabel(r, text, 281, 304, label, "Atk");
    drawColumnLabel(r, text, 305, 328, label, "Dec");
    drawColumnLabel(r, text, 329, 352, label, "Sus");
    drawColumnLabel(r, text, 353, 376, label, "Rel");
    drawEnvelopeSketch(r, {296, 131, 362, 141});
}

void drawAttackSynth(Raster& r, const FontText& text) {
    drawFace(r, {2, 147, 382, 269});
    drawTitle(r, text, 6, 157, "Attack Synth");
    text.draw(r, kGroup, 257, 157, "Under Global Envelope", Align::right);
    for (int x : {34, 88, 166, 268, 322}) drawGroove(r, x, 163, 266);
    const int label = 252;
    drawSynthColumnLabels(r, text, label);
    drawColumnLabel(r, text, 271, 294, label, "Freq");
    drawColumnLabel(r, text, 297, 320, label, "Noise");
    drawColumnLabel(r, text, 325, 348, label, "Freq");
    drawColumnLabel(r, text, 351, 375, label, "Depth");
    drawGroup(r, text, 6, 33, 256, "Wave");
    drawGroup(r, text, 38, 85, 256, "Unison");
    drawGroup(r, text, 92, 163, 256, "Attack Shape");
    drawGroup(r, text, 170, 265, 256, "Filter Envelope");
    drawGroup(r, text, 272, 319, 256, "Structure");
    drawGroup(r, text, 326, 373, 256, "FM");
}

void drawEffects(Raster& r, const FontText& text) {
    drawFace(r, {2, 271, 382, 367});
    drawTitle(r, text, 6, 283, "Effects");
    for (int x : {142, 251, 303}) drawGroove(r, x, 296, 364);
    for (const ControlPlace& place : controlPlaces())
        if (place.kind == ControlKind::knob) drawKnobScale(r, place.rect);

    // Delay chambers: two rows of length slider and feedback knob.
    text.draw(r, kLabel, 59, 293, "Length", Align::centre);
    text.draw(r, kLabel, 120, 293, "Feedback", Align::centre);
    text.draw(r, kTitle, 11, 311, "1", Align::centre);
    text.draw(r, kTitle, 11, 337, "2", Align::centre);
    text.draw(r, kTitle, 75, 360, "Delay Chambers", Align::centre);

    // Cross delay.
    text.draw(r, kLabel, 207, 284, "Delay", Align::centre);
    text.draw(r, kLabel, 179, 301, "L", Align::right);
    text.draw(r, kLabel, 235, 301, "R");
    text.draw(r, kLabel, 166, 320, "Feed", Align::right);
    text.draw(r, kLabel, 166, 329, "back", Align::right);
    text.draw(r, kLabel, 223, 326, "Amp", Align::right);
    text.draw(r, kLabel, 183, 345, "Tempo sync");
    text.draw(r, kTitle, 183, 360, "Cross-Delay");

    // Distortion.
    text.draw(r, kLabel, 277, 293, "Amount", Align::centre);
    text.draw(r, kLabel, 273, 311, "Wet", Align::right);
    text.draw(r, kLabel, 273, 336, "Dry", Align::right);
    text.draw(r, kTitle, 280, 360, "Dist");

    // Reverb.
    text.draw(r, kLabel, 339.5, 293, "Time", Align::centre);
    text.draw(r, kLabel, 320.5, 318, "Dry", Align::centre);
    text.draw(r, kLabel, 359.5, 318, "Wet", Align::centre);
    text.draw(r, kTitle, 336, 360, "Reverb");
}

// The bar is one flat colour where the sliders sit: the two volume sliders
// share one track bitmap, so the panel behind both must be the same.
void drawBottomBar(Raster& r, const FontText& text) {
    r.fill({0, 368, kFrameWidth, kFrameHeight}, rect(0, 368, kFrameWidth, kFrameHeight), pal::bar);
    r.fill({0, 368, kFrameWidth, 370}, rect(0, 368, kFrameWidth, 369), pal::barEdge);
    // A short sheen under the edge, clear of the sliders (they start at 374).
    r.fill({0, 369, kFrameWidth, 373}, rect(0, 369, kFrameWidth, 373), vertical(rgb(46, 47, 53), pal::bar, 369, 373));
    text.draw(r, kBarLabel, 52, 386, "Vol. Maj.", Align::right);
    text.draw(r, kBarLabel, 52, 404, "Vol. Min.", Align::right);
    text.draw(r, kBarLabel, 186, 386, "Panning", Align::right);
    text.draw(r, kBarLabel, 171, 402, "Aftertouch");
    text.draw(r, kBarLabel, 271, 403, "Poly.", Align::right);
    text.draw(r, kBarLabel, 311, 386, "MIDI Learn");
    // Black window of the status text, with a faint lit rim.
    r.fill({312, 388, 374, 409}, roundRect(314, 390, 372, 407, 3), rgb(70, 71, 78));
    r.fill({312, 388, 374, 409}, roundRect(314.5, 390.5, 371.5, 406.5, 2.5), rgb(0, 0, 0));
}

}  // namespace

Raster drawPanelArtwork(const FontText& text, int percent) {
    Raster r(kFrameWidth, kFrameHeight, palette::chassis, percent);
    drawTitleStrip(r, text);
    drawToneSynth(r, text);
    drawGlobalEnvelope(r, text);
    drawAttackSynth(r, text);
    drawEffects(r, text);
    drawBottomBar(r, text);
    return r;
}

}  // namespace velora::artwork
