// SPDX-License-Identifier: MIT
#include "progress_bar.h"

#include <cstdio>

#include "text_format.h"

#ifdef _WIN32
#include <io.h>
#define VELORA_ISATTY _isatty
#define VELORA_FILENO _fileno
#else
#include <unistd.h>
#define VELORA_ISATTY isatty
#define VELORA_FILENO fileno
#endif

namespace velora::host {

constexpr int kBarWidth = 30;

ProgressBar::ProgressBar(std::string label)
    : label_(std::move(label)), enabled_(VELORA_ISATTY(VELORA_FILENO(stderr)) != 0) {}

ProgressBar::~ProgressBar() { finish(); }

void ProgressBar::update(double fraction, double tailSeconds) {
    if (!enabled_) return;
    const int permille = static_cast<int>((fraction < 0 ? 0 : fraction > 1 ? 1 : fraction) * 1000.0);
    // Redraw only when the text changes: every 0.1 % or every 0.1 s of tail.
    const int shown = permille + static_cast<int>(tailSeconds * 10.0) * 1000;
    if (shown == lastShown_) return;
    lastShown_ = shown;
    const int filled = permille * kBarWidth / 1000;
    std::string bar(1, '\r');
    bar += label_;
    bar += " [";
    bar.append(static_cast<std::size_t>(filled), '#');
    bar.append(static_cast<std::size_t>(kBarWidth - filled), '.');
    bar += "] ";
    bar += fixedDouble(permille / 10.0, 1);
    bar += '%';
    if (tailSeconds > 0) {
        bar += " tail ";
        bar += fixedDouble(tailSeconds, 1);
        bar += " s";
    }
    bar += "   ";
    std::fputs(bar.c_str(), stderr);
    std::fflush(stderr);
}

void ProgressBar::finish() {
    if (!enabled_ || lastShown_ < 0) return;
    std::string blank(label_.size() + kBarWidth + 40, ' ');
    blank.front() = '\r';
    blank.push_back('\r');
    std::fputs(blank.c_str(), stderr);
    std::fflush(stderr);
    lastShown_ = -1;
}

}  // namespace velora::host
