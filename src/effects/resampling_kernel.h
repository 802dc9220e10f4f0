// SPDX-License-Identifier: MIT
#pragma once
// The band-limiting kernel of the rate converter: a Kaiser-windowed sinc,
// tabulated at `phases` + 1 fractional positions. Where the two rates make a
// ratio with at most `kKernelPhases` output positions per input sample the
// rows are exactly those positions; otherwise the kernel at a position
// between two of `kKernelPhases` rows is a linear blend of them. The pass band runs to
// 20 kHz (scaled down with the output rate when that is below the input rate)
// and everything from half the lower of the two rates up lies at least 100 dB
// down, so neither images nor aliases of the voices reach the host.
#include <vector>

namespace velora::effects {

inline constexpr int kKernelPhases = 1024;
inline constexpr double kStopBandDecibels = 100.0;

struct ResamplingKernel {
    int taps = 0;  // per row, a multiple of 4
    int phases = 0;
    std::vector<float> rows;  // (phases + 1) x taps; row p, tap k weighs the input k - taps + 1 samples
                              // before the newest one at the fractional position p / phases

    const float* row(int phase) const { return rows.data() + static_cast<std::size_t>(phase) * taps; }
};

// The kernel for converting inputRate to outputRate (both in Hz); taps grow as
// the output rate falls below the input rate. Set-up math in double through
// the run-time independent helpers, so every build holds the same table.
ResamplingKernel designKernel(double inputRate, double outputRate, int phases = kKernelPhases);

}  // namespace velora::effects
