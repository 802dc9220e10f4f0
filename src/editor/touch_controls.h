// SPDX-License-Identifier: MIT
#pragma once
// The editor's sliders and knobs: the toolkit's, except that every mouse
// press first names the control to the editor (any button), which then shows
// its value and takes it as the target of typed values.
#include "gui/knob.h"
#include "gui/slider.h"

namespace velora::editor {

class TouchListener {
public:
    virtual ~TouchListener() = default;
    virtual void touched(gui::Control& control) = 0;
};

template <typename Base>
class Touchable : public Base {
public:
    template <typename... Args>
    explicit Touchable(TouchListener& toucher, Args&&... args) : Base(std::forward<Args>(args)...), toucher_(toucher) {}

    void mouse(gui::Canvas& canvas, gui::Point where) override {
        toucher_.touched(*this);
        Base::mouse(canvas, where);
    }

private:
    TouchListener& toucher_;
};

using TouchSlider = Touchable<gui::Slider>;
using TouchKnob = Touchable<gui::Knob>;

}  // namespace velora::editor
