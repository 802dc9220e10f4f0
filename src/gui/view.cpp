// SPDX-License-Identifier: MIT
#include "gui/view.h"

namespace velora::gui {

View::View(const Rect& size) : size_(size), mouseArea_(size) {}

void View::update(Canvas& canvas) {
    if (!isDirty()) return;
    draw(canvas);
    setDirty(false);
}

int View::notify(View*, const char*) { return 0; }

bool View::onDrop(const char* const*, int, int, Point) { return false; }

bool View::onWheel(Point, float) { return false; }

}  // namespace velora::gui
