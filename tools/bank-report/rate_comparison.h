// SPDX-License-Identifier: MIT
#pragma once
// The bank at other sample rates: per program, the loudness and spectral
// centroid of a held middle C and of the C-major chord at each rate against
// 44.1 kHz, with a summary line per rate.
#include <string>
#include <vector>

#include "bank_report.h"

namespace velora::sound {

struct RateDifference {
    double held = 0, chord = 0;                  // loudness over 44.1 kHz, dB
    double heldCentroid = 0, chordCentroid = 0;  // centroid over 44.1 kHz's, minus 1
};

RateDifference rateDifference(const RateFigures& reference, const RateFigures& other);

// Bounds a program keeps at every rate: loudness within 1.5 dB, centroid within 10 %.
inline constexpr double kRateLoudnessBound = 1.5, kRateCentroidBound = 0.10;
bool withinRateBounds(const RateDifference& d);

std::string rateTableHeader(const std::vector<double>& rates);
std::string rateTableLine(int number, const std::string& name, const RateFigures& reference,
                          const std::vector<RateDifference>& differences);
// Median and largest loudness differences, programs beyond 1.5, 3 and 6 dB, per rate.
std::string rateSummary(const std::vector<double>& rates, const std::vector<std::vector<RateDifference>>& byProgram);

}  // namespace velora::sound
