// SPDX-License-Identifier: MIT
#pragma once
// The shell's text formatters for parameter displays and program names.
// They truncate rather than round, and write at most 8 characters plus the
// terminator (so a 9-byte display buffer always suffices).

namespace velora {

// Fixed-point text of eight characters built by truncation: 0.5 -> "0.500000",
// 20 -> "20.00000", -1 -> "-1.00000". Values too large for eight characters,
// NaN and infinities leave the text untouched.
void formatValue(float value, char* text);

// "-oo" for value <= 0, else formatValue of 20 * log10(value).
void formatDecibels(float value, char* text);

// "%7d", cut to eight characters; "Huge!" from 100000000 on.
void formatInteger(int value, char* text);

}  // namespace velora
