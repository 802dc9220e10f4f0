// SPDX-License-Identifier: MIT
#include "editor/size_menu.h"

#include <cstdio>

#include "gui/canvas.h"

namespace velora::editor {
namespace {

constexpr gui::Colour kMenuBack{30, 31, 35};
constexpr gui::Colour kMenuEdge{110, 108, 100};
constexpr gui::Colour kMenuText{238, 232, 218};
constexpr gui::Colour kMenuMarked{255, 176, 56};
constexpr int kMenuFont = 6;  // 9 pixels at 1x: its larger sizes (14, 18) are built-in glyph heights

gui::Rect placed(gui::Point press, const gui::Rect& frame, gui::Scale scale) {
    const int width = gui::scaled(SizeMenu::kWidth, scale);
    const int height = gui::scaled(SizeMenu::kEntryHeight, scale) * static_cast<int>(gui::kScales.size()) + 2;
    int left = press.h, top = press.v;
    if (left + width > frame.right) left = frame.right - width;
    if (top + height > frame.bottom) top = frame.bottom - height;
    if (left < frame.left) left = frame.left;
    if (top < frame.top) top = frame.top;
    return {left, top, left + width, top + height};
}

}  // namespace

SizeMenu::SizeMenu(gui::Point press, const gui::Rect& frame, gui::Scale editorScale, gui::Scale current, Chosen chosen)
    : View(placed(press, frame, editorScale)),
      editorScale_(editorScale),
      current_(current),
      chosen_(std::move(chosen)) {}

gui::Rect SizeMenu::entryRect(int index) const {
    const int height = gui::scaled(kEntryHeight, editorScale_);
    const int top = size_.top + 1 + index * height;
    return {size_.left + 1, top, size_.right - 1, top + height};
}

std::optional<gui::Scale> SizeMenu::entryAt(gui::Point where) const {
    for (std::size_t i = 0; i < gui::kScales.size(); ++i) {
        const gui::Rect entry = entryRect(static_cast<int>(i));
        // Half-open here: neighbouring entries share no row.
        if (where.h >= entry.left && where.h < entry.right && where.v >= entry.top && where.v < entry.bottom)
            return gui::kScales[i];
    }
    return std::nullopt;
}

void SizeMenu::draw(gui::Canvas& canvas) {
    clearDirtyFlagForDraw();
    canvas.fillRect(size_, kMenuBack);
    canvas.frameRect(size_, kMenuEdge);
    for (std::size_t i = 0; i < gui::kScales.size(); ++i) {
        char label[24];
        std::snprintf(label, sizeof label, "Size %d %%", gui::percentOf(gui::kScales[i]));
        gui::TextStyle look;
        look.font = gui::fontFromTable(kMenuFont);
        look.font.pixelHeight = gui::scaled(look.font.pixelHeight, editorScale_);
        look.colour = gui::kScales[i] == current_ ? kMenuMarked : kMenuText;
        look.alignment = gui::kAlignCentre;
        canvas.drawText(label, entryRect(static_cast<int>(i)), look);
    }
}

void SizeMenu::mouse(gui::Canvas&, gui::Point where) {
    // The owner removes the menu; nothing of it is used after the call.
    const Chosen chosen = chosen_;
    chosen(entryAt(where));
}

}  // namespace velora::editor
