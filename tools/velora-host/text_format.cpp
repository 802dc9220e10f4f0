// SPDX-License-Identifier: MIT
#include "text_format.h"

#include <charconv>
#include <cmath>

namespace velora::host {

std::string shortestFloat(float value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string fixedDouble(double value, int decimals) {
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    if (result.ec != std::errc{}) return "?";
    return std::string(buffer, result.ptr);
}

std::string hex32(std::uint32_t value) {
    static const char digits[] = "0123456789abcdef";
    std::string text = "0x";
    for (int shift = 28; shift >= 0; shift -= 4) text += digits[(value >> shift) & 15u];
    return text;
}

std::string fourCharText(std::int32_t id) {
    const auto bits = static_cast<std::uint32_t>(id);
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const char c = static_cast<char>((bits >> shift) & 0xFFu);
        text += (c >= 0x20 && c < 0x7F) ? c : '?';
    }
    return text;
}

std::string decibelsText(float peak) {
    if (!(peak > 0.0f)) return "-inf";
    return fixedDouble(20.0 * std::log10(static_cast<double>(peak)), 1);
}

}  // namespace velora::host
