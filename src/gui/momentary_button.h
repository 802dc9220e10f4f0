// SPDX-License-Identifier: MIT
#pragma once
// A button that is 1 while held over it and 0 once released; its background
// holds the up and pressed images, frameHeight apart.
#include "gui/control.h"

namespace velora::gui {

class MomentaryButton : public Control {
public:
    MomentaryButton(const Rect& size, ValueListener* listener, std::int32_t tag, std::int32_t frameHeight,
                    Bitmap* background, Point backgroundOffset);

    void draw(Canvas& canvas) override;
    void mouse(Canvas& canvas, Point where) override;

private:
    void holdWhileLeftDown(Canvas& canvas, Point where);

    std::int32_t frameHeight_;
};

}  // namespace velora::gui
