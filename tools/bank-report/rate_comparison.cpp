// SPDX-License-Identifier: MIT
#include "rate_comparison.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace velora::sound {

RateDifference rateDifference(const RateFigures& reference, const RateFigures& other) {
    return {other.heldLoudness - reference.heldLoudness, other.chordLoudness - reference.chordLoudness,
            other.heldCentroid / reference.heldCentroid - 1.0, other.chordCentroid / reference.chordCentroid - 1.0};
}

bool withinRateBounds(const RateDifference& d) {
    return std::fabs(d.held) <= kRateLoudnessBound && std::fabs(d.chord) <= kRateLoudnessBound &&
           std::fabs(d.heldCentroid) <= kRateCentroidBound && std::fabs(d.chordCentroid) <= kRateCentroidBound;
}

std::string rateTableHeader(const std::vector<double>& rates) {
    std::string text = "prog name                    C4 dB  chord dB  C4 Hz  chord Hz";
    char column[64];
    for (double rate : rates) {
        std::snprintf(column, sizeof column, "  | %5.1fk: C4 dB chord dB  C4 %%  chord %%", rate / 1000.0);
        text += column;
    }
    return text;
}

std::string rateTableLine(int number, const std::string& name, const RateFigures& reference,
                          const std::vector<RateDifference>& differences) {
    char text[128];
    std::snprintf(text, sizeof text, "%3d  %-22.22s %6.1f %8.1f %6.0f %8.0f", number, name.c_str(),
                  reference.heldLoudness, reference.chordLoudness, reference.heldCentroid, reference.chordCentroid);
    std::string line = text;
    for (const RateDifference& d : differences) {
        std::snprintf(text, sizeof text, "  |        %+6.2f %+8.2f %+5.1f %+7.1f%s", d.held, d.chord,
                      100.0 * d.heldCentroid, 100.0 * d.chordCentroid, withinRateBounds(d) ? " " : "*");
        line += text;
    }
    return line;
}

std::string rateSummary(const std::vector<double>& rates, const std::vector<std::vector<RateDifference>>& byProgram) {
    std::string text;
    for (std::size_t r = 0; r < rates.size(); ++r) {
        std::vector<double> held;
        double worstCentroid = 0.0, worstChord = 0.0;
        for (const auto& program : byProgram) {
            held.push_back(program[r].held);
            worstChord = std::max(worstChord, std::fabs(program[r].chord));
            worstCentroid =
                std::max({worstCentroid, std::fabs(program[r].heldCentroid), std::fabs(program[r].chordCentroid)});
        }
        if (held.empty()) continue;
        std::vector<double> sorted = held;
        std::sort(sorted.begin(), sorted.end());
        auto beyond = [&](double bound) {
            return std::count_if(held.begin(), held.end(), [&](double d) { return std::fabs(d) > bound; });
        };
        char line[256];
        std::snprintf(line, sizeof line,
                      "%6.1f kHz: C4 median %+.2f dB, range %+.2f..%+.2f dB, beyond 1.5/3/6 dB: %td/%td/%td; "
                      "chord worst %.2f dB; centroid worst %.1f %%\n",
                      rates[r] / 1000.0, sorted[sorted.size() / 2], sorted.front(), sorted.back(), beyond(1.5),
                      beyond(3.0), beyond(6.0), worstChord, 100.0 * worstCentroid);
        text += line;
    }
    return text;
}

}  // namespace velora::sound
