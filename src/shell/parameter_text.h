// SPDX-License-Identifier: MIT
#pragma once
// Typed parameter values: the leading number of a text, mapped from the
// parameter's engineering range where it has one.

namespace velora {

// The longest leading decimal number of `text` (white space skipped, optional
// sign, digits, point, exponent; 0 when there is none), as a 32-bit float.
float leadingNumber(const char* text);

// The value to set for `text`: engineering ranges first ("A Freq Mult" 1..4,
// "Vib. Freq" 0.01..20, "Reverb Time" 0.1..10, "Dist. Wet" -1..1), then the
// plain range 0..1. False when the number lies outside both.
bool parameterFromText(int index, const char* text, float& value);

}  // namespace velora
