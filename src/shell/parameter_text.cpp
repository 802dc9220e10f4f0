// SPDX-License-Identifier: MIT
#include "shell/parameter_text.h"

#include <cctype>
#include <cstdlib>
#include <string>

#include "core/numeric.h"
#include "core/param_id.h"

namespace velora {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Length of the decimal number at `s`; 0 when none starts there. Only plain
// decimal syntax counts: no hexadecimal, no "inf" or "nan".
std::size_t decimalLength(const char* s) {
    std::size_t i = 0;
    if (s[i] == '+' || s[i] == '-') ++i;
    std::size_t digits = 0;
    while (isDigit(s[i])) ++i, ++digits;
    if (s[i] == '.') {
        ++i;
        while (isDigit(s[i])) ++i, ++digits;
    }
    if (digits == 0) return 0;
    if (s[i] == 'e' || s[i] == 'E') {
        std::size_t j = i + 1;
        if (s[j] == '+' || s[j] == '-') ++j;
        if (isDigit(s[j])) {
            while (isDigit(s[j])) ++j;
            i = j;
        }
    }
    return i;
}

struct EngineeringRange {
    int index;
    double low, high, offset;
    float scale;
};

// Engineering ranges: set (b + offset) * scale when low <= b <= high.
const EngineeringRange kRanges[] = {
    {kParamAttackFreqMult, 1.0, 4.0, -1.0, floatFromBits(0x3EAAAAABu)},  // ratio 1..4
    {kParamVibFreq, 0.01, 20.0, -0.01, floatFromBits(0x3D4CE707u)},      // hertz
    {kParamReverbTime, 0.1, 10.0, -0.1, floatFromBits(0x3E50FAC6u)},     // seconds
    {kParamDistWet, -1.0, 1.0, 1.0, 0.5f},                               // -1..1
};

}  // namespace

float leadingNumber(const char* text) {
    if (text == nullptr) return 0.0f;
    while (std::isspace(static_cast<unsigned char>(*text))) ++text;
    const std::size_t length = decimalLength(text);
    if (length == 0) return 0.0f;
    const std::string number(text, length);
    return static_cast<float>(std::strtod(number.c_str(), nullptr));
}

bool parameterFromText(int index, const char* text, float& value) {
    const double b = leadingNumber(text);
    for (const auto& range : kRanges) {
        if (range.index == index && b >= range.low && b <= range.high) {
            value = static_cast<float>((b + range.offset) * range.scale);
            return true;
        }
    }
    if (b >= 0.0 && b <= 1.0) {
        value = static_cast<float>(b);
        return true;
    }
    return false;
}

}  // namespace velora
