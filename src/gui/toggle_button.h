// SPDX-License-Identifier: MIT
#pragma once
// An on/off button; its background holds the off and on images stacked
// vertically.
#include "gui/control.h"

namespace velora::gui {

class ToggleButton : public Control {
public:
    ToggleButton(const Rect& size, ValueListener* listener, std::int32_t tag, Bitmap* background);

    void draw(Canvas& canvas) override;
    void mouse(Canvas& canvas, Point where) override;
};

}  // namespace velora::gui
