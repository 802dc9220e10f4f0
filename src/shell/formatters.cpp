// SPDX-License-Identifier: MIT
#include "shell/formatters.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace velora {

namespace {

constexpr int kWidth = 8;

// Digits of the integer part, units first; returns how many were written.
int integerDigitsUnitsFirst(double integerPart, int& count, char* digits) {
    int n = 0;
    double x = integerPart;
    for (;;) {
        digits[n++] = static_cast<char>('0' + static_cast<int>(std::fmod(x, 10.0)));
        x *= 0.1;
        if (x < 1.0 || count >= kWidth) break;
        ++count;
    }
    return n;
}

}  // namespace

void formatValue(float value, char* text) {
    if (text == nullptr) return;
    double v = value;
    if (!std::isfinite(v)) return;
    const bool negative = v < 0.0;
    if (negative) {
        v = -v;
        if (v > 9999999.0) return;
    } else if (v > 99999999.0) {
        return;
    }

    int count = negative ? 3 : 2;
    char digits[kWidth + 1];
    const int digitCount = integerDigitsUnitsFirst(std::floor(v), count, digits);

    char out[kWidth + 2];
    int pos = 0;
    if (negative) out[pos++] = '-';
    for (int d = digitCount - 1; d >= 0; --d) out[pos++] = digits[d];
    out[pos++] = '.';

    if (count < kWidth) {
        const int fractionDigits = kWidth - count;
        double m = std::fmod(v, 1.0) * std::pow(10.0, fractionDigits);
        for (int d = fractionDigits - 1; d >= 0; --d) {
            out[pos + d] = m <= 0.0 ? '0' : static_cast<char>('0' + static_cast<int>(std::fmod(m, 10.0)));
            m *= 0.1;
        }
        pos += fractionDigits;
    }
    out[pos] = '\0';
    std::memcpy(text, out, static_cast<std::size_t>(pos) + 1);
}

void formatDecibels(float value, char* text) {
    if (text == nullptr) return;
    if (value <= 0.0f) {
        std::strcpy(text, "-oo");
        return;
    }
    formatValue(static_cast<float>(20.0 * std::log10(static_cast<double>(value))), text);
}

void formatInteger(int value, char* text) {
    if (text == nullptr) return;
    if (value >= 100000000) {
        std::strcpy(text, "Huge!");
        return;
    }
    char wide[16];
    std::snprintf(wide, sizeof wide, "%7d", value);
    wide[kWidth] = '\0';
    std::strcpy(text, wide);
}

}  // namespace velora
