// SPDX-License-Identifier: MIT
#pragma once
// Turtle literals: numbers that read back as the same float, quoted text.
#include <cstdio>
#include <string>

namespace velora::lv2 {

// Nine significant digits give back the float exactly; the literal always
// reads as a decimal or a double, never as an integer.
inline std::string decimal(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
    std::string out = text;
    if (out.find_first_of(".en") == std::string::npos) out += ".0";
    return out;
}

inline std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        if (static_cast<unsigned char>(c) >= 0x20) out += c;
    }
    return out + '"';
}

inline std::string presetUri(int program) {
    char text[48];
    std::snprintf(text, sizeof text, "urn:velora:synth#preset_%02d", program);
    return text;
}

}  // namespace velora::lv2
