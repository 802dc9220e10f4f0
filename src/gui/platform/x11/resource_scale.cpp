// SPDX-License-Identifier: MIT
#include "gui/platform/x11/resource_scale.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace velora::gui::x11 {
namespace {

constexpr double kBaseDpi = 96.0;

// A positive finite number filling the text up to blanks; 0 otherwise.
double numberAt(const char* text, const char* end) {
    while (text < end && (*text == ' ' || *text == '\t')) ++text;
    char digits[32] = {};
    std::size_t n = 0;
    while (text < end && *text != ' ' && *text != '\t' && *text != '\r' && n + 1 < sizeof digits) digits[n++] = *text++;
    if (n == 0) return 0.0;
    char* stop = nullptr;
    const double value = std::strtod(digits, &stop);
    return stop == digits + n && std::isfinite(value) && value > 0.0 ? value : 0.0;
}

}  // namespace

double scaleFromResources(const char* resources, const char* gdkScale) {
    constexpr char kKey[] = "Xft.dpi:";
    for (const char* line = resources; line && *line;) {
        const char* end = std::strchr(line, '\n');
        if (!end) end = line + std::strlen(line);
        if (static_cast<std::size_t>(end - line) >= sizeof kKey - 1 && std::strncmp(line, kKey, sizeof kKey - 1) == 0) {
            const double dpi = numberAt(line + sizeof kKey - 1, end);
            if (dpi > 0.0) return dpi / kBaseDpi;
        }
        line = *end ? end + 1 : end;
    }
    return gdkScale ? numberAt(gdkScale, gdkScale + std::strlen(gdkScale)) : 0.0;
}

}  // namespace velora::gui::x11
