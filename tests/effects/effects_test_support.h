// SPDX-License-Identifier: MIT
#pragma once
// Shared by the effect tests: hostile values and a stereo sample.
#include <limits>

namespace velora::effects::test {

inline constexpr float kInf = std::numeric_limits<float>::infinity();
inline constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

struct Frame {
    float l, r;
};

}  // namespace velora::effects::test
