// SPDX-License-Identifier: MIT
#pragma once
// Number formatting that gives the same text with every C runtime: the
// listings must match byte for byte between the Linux and Windows builds.
#include <cstdint>
#include <string>

namespace velora::host {

// Shortest text that reads back as the same float ("0.5", "1e-05").
std::string shortestFloat(float value);
// Fixed-point text with `decimals` digits after the point ("-3.1").
std::string fixedDouble(double value, int decimals);
std::string hex32(std::uint32_t value);
// The four characters of a unique id, '?' for unprintable bytes.
std::string fourCharText(std::int32_t id);
// Level of a peak sample as dBFS with one decimal, "-inf" for silence.
std::string decibelsText(float peak);

}  // namespace velora::host
