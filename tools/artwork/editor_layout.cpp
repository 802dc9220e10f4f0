#include "editor_layout.h"

#include <array>

namespace velora::artwork {

namespace {

using enum ControlKind;

constexpr ControlPlace kPlaces[] = {
    {statusField, 0, {318, 393, 368, 403}, 0},
    // Tone Synth
    {verticalSlider, 10003, {8, 34, 31, 116}, 0.35},
    {verticalSlider, 10004, {38, 34, 61, 116}, 0.2},
    {verticalSlider, 10005, {62, 34, 85, 116}, 0.6},
    {verticalSlider, 10006, {92, 34, 115, 116}, 0.9},
    {verticalSlider, 10007, {116, 34, 139, 116}, 0.45},
    {verticalSlider, 10008, {140, 34, 163, 116}, 0.7},
    {verticalSlider, 10009, {170, 34, 193, 116}, 0.8},
    {verticalSlider, 10011, {194, 34, 217, 116}, 0.4},
    {verticalSlider, 10012, {218, 34, 241, 116}, 0.25},
    {verticalSlider, 10010, {242, 34, 265, 116}, 0.1},
    // Attack Synth
    {verticalSlider, 10013, {8, 161, 31, 243}, 0.7},
    {verticalSlider, 10014, {38, 161, 61, 243}, 0.3},
    {verticalSlider, 10015, {62, 161, 85, 243}, 0.5},
    {verticalSlider, 10016, {92, 161, 115, 243}, 1.0},
    {verticalSlider, 10017, {116, 161, 139, 243}, 0.3},
    {verticalSlider, 10018, {140, 161, 163, 243}, 0.0},
    {verticalSlider, 10019, {170, 161, 193, 243}, 0.65},
    {verticalSlider, 10020, {194, 161, 217, 243}, 0.3},
    {verticalSlider, 10021, {218, 161, 241, 243}, 0.15},
    {verticalSlider, 10022, {242, 161, 265, 243}, 0.5},
    {verticalSlider, 10023, {272, 161, 295, 243}, 0.5},
    {verticalSlider, 10024, {296, 161, 319, 243}, 0.2},
    {verticalSlider, 10036, {326, 161, 349, 243}, 0.3},
    {verticalSlider, 10037, {350, 161, 373, 243}, 0.15},
    {toggle, 10029, {261, 150, 280, 158}, 1},
    // Global Envelope
    {verticalSlider, 10025, {281, 34, 304, 116}, 0.05},
    {verticalSlider, 10026, {305, 34, 328, 116}, 0.5},
    {verticalSlider, 10027, {329, 34, 352, 116}, 0.75},
    {verticalSlider, 10028, {353, 34, 376, 116}, 0.4},
    // Effects
    {horizontalSlider, 10032, {18, 296, 100, 319}, 0.4},
    {knob, 10030, {111, 297, 132, 318}, 0.6},
    {horizontalSlider, 10033, {18, 322, 100, 345}, 0.65},
    {knob, 10030, {111, 322, 132, 343}, 0.35},
    {toggle, 10029, {160, 353, 179, 361}, 1},
    {knob, 10030, {182, 287, 203, 308}, 0.3},
    {knob, 10030, {211, 287, 232, 308}, 0.45},
    {knob, 10030, {167, 312, 188, 333}, 0.5},
    {knob, 10030, {226, 312, 247, 333}, 0.25},
    {toggle, 10029, {160, 338, 179, 346}, 0},
    {toggle, 10029, {258, 353, 277, 361}, 0},
    {knob, 10030, {276, 322, 297, 343}, 0.8},
    {knob, 10030, {276, 297, 297, 318}, 0.2},
    {toggle, 10029, {314, 353, 333, 361}, 1},
    {knob, 10030, {329, 297, 350, 318}, 0.55},
    {knob, 10030, {349, 322, 370, 343}, 0.3},
    {knob, 10030, {310, 322, 331, 343}, 0.7},
    // Bottom bar
    {horizontalSlider, 10040, {190, 374, 273, 391}, 0.5},
    {horizontalSlider, 10034, {56, 392, 139, 409}, 0.5},
    {horizontalSlider, 10034, {56, 374, 139, 391}, 0.75},
    {toggle, 10035, {289, 378, 308, 386}, 0},
    {toggle, 10035, {148, 394, 167, 402}, 1},
    {plusButton, 10038, {274, 395, 283, 404}, 0},
    {minusButton, 10039, {283, 395, 292, 404}, 0},
    // Panel switches
    {toggle, 10029, {61, 23, 80, 31}, 1},
    {toggle, 10029, {69, 150, 88, 158}, 1},
};

}  // namespace

std::span<const ControlPlace> controlPlaces() { return kPlaces; }

SliderTravel sliderTravel(const ControlPlace& slider) {
    if (slider.kind == ControlKind::verticalSlider) return {4, slider.rect.height() + 1 - kHandleHeight - 2};
    // The delay sliders may reach their last pixel, the bottom bar's stop one short.
    const bool bottomBar = slider.rect.height() == 17;
    return {bottomBar ? 2 : 4, slider.rect.width() + (bottomBar ? 0 : 1) - kHandleWidth - 2};
}

}  // namespace velora::artwork
