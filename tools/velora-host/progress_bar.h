// SPDX-License-Identifier: MIT
#pragma once
// A one-line progress display on stderr, shown only on a terminal.
#include <cstdint>
#include <string>

namespace velora::host {

class ProgressBar {
public:
    explicit ProgressBar(std::string label);
    ~ProgressBar();
    // `fraction` of the events rendered; in the tail, the seconds rendered after them.
    void update(double fraction, double tailSeconds);
    void finish();

private:
    std::string label_;
    bool enabled_;
    int lastShown_ = -1;
};

}  // namespace velora::host
