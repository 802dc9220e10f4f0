// SPDX-License-Identifier: MIT
#pragma once
// The small menu a right-click on the title strip opens: "Size 100 %",
// "150 %", "200 %". It is the frame's modal view while it shows; any press
// closes it, a press on an entry also chooses that size.
#include <functional>
#include <optional>

#include "gui/scale.h"
#include "gui/view.h"

namespace velora::editor {

class SizeMenu final : public gui::View {
public:
    // Sizes and offsets in 1x pixels, grown with the editor.
    static constexpr int kWidth = 76;
    static constexpr int kEntryHeight = 14;

    using Chosen = std::function<void(std::optional<gui::Scale>)>;
    // At the press point, moved inside the frame; `current` is marked.
    SizeMenu(gui::Point press, const gui::Rect& frame, gui::Scale editorScale, gui::Scale current, Chosen chosen);

    void draw(gui::Canvas& canvas) override;
    void mouse(gui::Canvas& canvas, gui::Point where) override;
    // The entry under a point, none outside the menu.
    std::optional<gui::Scale> entryAt(gui::Point where) const;
    gui::Rect entryRect(int index) const;

private:
    gui::Scale editorScale_;
    gui::Scale current_;
    Chosen chosen_;
};

}  // namespace velora::editor
