// SPDX-License-Identifier: MIT
#include "gui/font_table.h"

namespace velora::gui {
namespace {

struct TableRow {
    int pixelHeight;
    bool symbol;
};

constexpr TableRow kTable[kFontCount] = {
    {12, false}, {18, false}, {14, false}, {12, false}, {11, false}, {10, false}, {9, false}, {13, true},
};

}  // namespace

FontRequest fontFromTable(int index, int face) {
    if (index < 0 || index >= kFontCount) index = 0;
    const TableRow& row = kTable[index];
    FontRequest font;
    font.faceName = row.symbol ? "Symbol" : "Arial";
    font.family = row.symbol ? FontFamily::Symbol : FontFamily::Sans;
    font.pixelHeight = row.pixelHeight;
    font.bold = index == 0 || (face & kBold) != 0;
    font.italic = (face & kItalic) != 0;
    font.underline = (face & kUnderline) != 0;
    return font;
}

}  // namespace velora::gui
