// SPDX-License-Identifier: MIT
#pragma once
// Guards that keep hostile values from turning into undefined conversions or
// from poisoning recursive state with inf and NaN. Ordinary values pass
// through bit for bit.
#include <cmath>
#include <limits>

#include "core/numeric.h"

namespace velora::effects {

// Far beyond any signal the voices can make, yet small enough that sums and
// cubes inside the effects stay finite.
inline constexpr float kSignalBound = 1e18f;

// x limited to [-bound, bound], NaN as 0. Written as selects that compile to
// a compare and min/max without branches.
inline float clampSignal(float x, float bound) noexcept {
    float y = x == x ? x : 0.0f;
    y = y < -bound ? -bound : y;
    return y > bound ? bound : y;
}

// Limits an effect input to +-kSignalBound; NaN becomes silence.
inline float boundSignal(float x) noexcept { return clampSignal(x, kSignalBound); }

// The full-scale limit before the final gain; NaN becomes silence.
inline float limitToFullScale(float x) noexcept { return clampSignal(x, 1.0f); }

}  // namespace velora::effects
